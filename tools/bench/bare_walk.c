/* tools/bench/bare_walk.c: the floor for the search phase. A plain C walk over a tree that
 * does what a dry run must do and nothing else: readdir with d_type, and for every regular
 * file whose extension is on the list (",jpeg,jpg,gif,png,bmp," unless given, case ignored
 * for ASCII letters) openat, fstat, one read of 4 KiB and close. Folders are entered by
 * openat relative to their parent; links are not followed.
 *
 *   bare_walk DIR [LIST]     prints the number of listed files and their total size
 *
 * No header is parsed and no list is kept: tessel's dry run is measured against this. */
#define _GNU_SOURCE
#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

static const char* list = ",jpeg,jpg,gif,png,bmp,";
static unsigned long long found;
static unsigned long long bytes;

static int listed(const char* name) {
    const char* dot = strrchr(name, '.');
    char key[260];
    size_t n;
    if (dot == NULL) return 0;
    n = strlen(dot + 1);
    if (n + 3 > sizeof key) return 0;
    key[0] = ',';
    memcpy(key + 1, dot + 1, n);
    key[n + 1] = ',';
    key[n + 2] = '\0';
    return strcasestr(list, key) != NULL;
}

static void walk(int folder) {
    DIR* dir = fdopendir(folder);
    struct dirent* e;
    unsigned char header[4096];
    if (dir == NULL) {
        close(folder);
        return;
    }
    while ((e = readdir(dir)) != NULL) {
        if (e->d_type == DT_DIR) {
            int sub;
            if (strcmp(e->d_name, ".") == 0 || strcmp(e->d_name, "..") == 0) continue;
            sub = openat(dirfd(dir), e->d_name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (sub >= 0) walk(sub);
        } else if (e->d_type == DT_REG && listed(e->d_name)) {
            struct stat info;
            const int fd = openat(dirfd(dir), e->d_name, O_RDONLY | O_CLOEXEC);
            if (fd < 0) continue;
            if (fstat(fd, &info) == 0) {
                ++found;
                bytes += (unsigned long long)info.st_size;
            }
            if (read(fd, header, sizeof header) < 0) fputs("bare_walk: read failed\n", stderr);
            close(fd);
        }
    }
    closedir(dir);
}

int main(int argc, char** argv) {
    int root;
    if (argc < 2 || argc > 3) {
        fputs("usage: bare_walk DIR [LIST]\n", stderr);
        return 2;
    }
    if (argc == 3) list = argv[2];
    root = open(argv[1], O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (root < 0) {
        perror(argv[1]);
        return 1;
    }
    walk(root);
    printf("%llu files, %llu bytes\n", found, bytes);
    return 0;
}
