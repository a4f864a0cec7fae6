// cli/main.cpp: the tessel command. (Being built: only --version so far.)
#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::puts("tessel 2.32");
        return 0;
    }
    std::fputs("tessel: not ready yet\n", stderr);
    return 1;
}
