// tools/bench/make_tree.cpp: writes the benchmark trees.
//
//   make_tree mixed DIR SEEDS [N]   N files (default 20,000) in N / 50 folders; one in four
//                               of them images: PNG and BMP written here, JPEG and GIF
//                               copied from the ImageMagick seeds in SEEDS (*.jpg, *.gif);
//                               the rest other kinds
//   make_tree many DIR N        N small files named *.jpg (found, measured as 1) in
//                               folders of 500, for the memory figure
//   make_tree collide DIR SEEDS [N]   N pictures (default 6,000) of the mixed tree's kinds
//                               in N / 50 folders, where a third of the names collide with
//                               other sizes: half the pictures in twos that share a name and
//                               differ in size (in two folders), and one two in twenty has a
//                               third, a second copy of its second; among the rest, one in
//                               fifty is a byte-identical second copy of the one before under
//                               its name (a card imported twice). For the re-run figures
//
// Deterministic: the same arguments give the same tree.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

namespace {

void Put16(Bytes& b, std::uint32_t v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(Bytes& b, std::uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}
void PutBig32(Bytes& b, std::uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) b.push_back(static_cast<std::uint8_t>(v >> s));
}

std::uint32_t Crc32(const std::uint8_t* p, std::size_t n) {
    static std::uint32_t table[256];
    if (table[1] == 0) {
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
            table[i] = c;
        }
    }
    std::uint32_t crc = ~0u;
    for (std::size_t i = 0; i < n; ++i) crc = table[(crc ^ p[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

void PutChunk(Bytes& out, const char* type, const Bytes& data) {
    PutBig32(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    PutBig32(out, Crc32(out.data() + start, out.size() - start));
}

// A real PNG: 8-bit grey, the pixel rows in stored (uncompressed) deflate blocks.
Bytes Png(std::uint32_t w, std::uint32_t h, std::uint8_t shade) {
    Bytes raw;
    for (std::uint32_t y = 0; y < h; ++y) {
        raw.push_back(0);  // filter: none
        for (std::uint32_t x = 0; x < w; ++x)
            raw.push_back(static_cast<std::uint8_t>(shade + x + y));
    }
    Bytes z = {0x78, 0x01};
    for (std::size_t pos = 0; pos < raw.size();) {
        const std::size_t n = std::min<std::size_t>(65535, raw.size() - pos);
        z.push_back(pos + n == raw.size() ? 1 : 0);
        Put16(z, static_cast<std::uint32_t>(n));
        Put16(z, static_cast<std::uint32_t>(~n & 0xFFFF));
        z.insert(z.end(), raw.begin() + static_cast<std::ptrdiff_t>(pos),
                 raw.begin() + static_cast<std::ptrdiff_t>(pos + n));
        pos += n;
    }
    std::uint32_t a = 1, b = 0;
    for (const std::uint8_t c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    PutBig32(z, (b << 16) | a);

    Bytes out = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    Bytes ihdr;
    PutBig32(ihdr, w);
    PutBig32(ihdr, h);
    ihdr.insert(ihdr.end(), {8, 0, 0, 0, 0});
    PutChunk(out, "IHDR", ihdr);
    PutChunk(out, "IDAT", z);
    PutChunk(out, "IEND", {});
    return out;
}

// A real BMP: 24-bit, bottom-up, rows padded to 4 bytes.
Bytes Bmp(std::uint32_t w, std::uint32_t h, std::uint8_t shade) {
    const std::uint32_t row = (w * 3 + 3) & ~3u;
    Bytes out = {'B', 'M'};
    Put32(out, 54 + row * h);
    Put32(out, 0);
    Put32(out, 54);
    Put32(out, 40);
    Put32(out, w);
    Put32(out, h);
    Put16(out, 1);
    Put16(out, 24);
    Put32(out, 0);
    Put32(out, row * h);
    Put32(out, 2835);
    Put32(out, 2835);
    Put32(out, 0);
    Put32(out, 0);
    for (std::uint32_t y = 0; y < h; ++y) {
        for (std::uint32_t x = 0; x < row; ++x)
            out.push_back(static_cast<std::uint8_t>(shade ^ x ^ y));
    }
    return out;
}

Bytes ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void Write(const fs::path& p, const Bytes& bytes) {
    std::ofstream out(p, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        std::fprintf(stderr, "make_tree: cannot write %s\n", p.c_str());
        std::exit(1);
    }
}

std::vector<Bytes> Seeds(const fs::path& folder, const std::string& extension) {
    std::vector<Bytes> seeds;
    for (const auto& e : fs::directory_iterator(folder)) {
        if (e.path().extension() == extension) seeds.push_back(ReadAll(e.path()));
    }
    if (seeds.empty()) {
        std::fprintf(stderr, "make_tree: no %s seeds in %s\n", extension.c_str(), folder.c_str());
        std::exit(1);
    }
    return seeds;
}

int Mixed(const fs::path& root, const fs::path& seedFolder, int Files) {
    const std::vector<Bytes> jpegs = Seeds(seedFolder, ".jpg");
    const std::vector<Bytes> gifs = Seeds(seedFolder, ".gif");
    const char* others[] = {"txt", "dat", "html", "mp3", "doc", "zip", "c", "log", "xml", "pdf"};
    std::mt19937 random(20240601);
    const int Folders = std::max(1, Files / 50), Images = Files / 4;
    std::vector<fs::path> folders;
    std::set<fs::path> usedRepeats;
    for (int i = 0; i < Folders; ++i) {
        // Top folders of 19 sub-folders each, plus the top folders themselves.
        const fs::path top = root / ("album" + std::to_string(i / 20));
        folders.push_back(i % 20 == 0 ? top : top / ("part" + std::to_string(i % 20)));
        fs::create_directories(folders.back());
    }
    for (int i = 0; i < Files; ++i) {
        const fs::path& folder = folders[static_cast<std::size_t>(i) % Folders];
        // One image in four; about one name in ten repeats a name used in another folder
        // (never one in the same folder: every file must land).
        const bool repeat = random() % 10 == 0;
        const int number = repeat ? static_cast<int>(random() % 500) : i;
        std::string base = "file" + std::to_string(number);
        if (repeat &&
            (number % Folders == i % Folders || !usedRepeats.insert(folder / base).second)) {
            base = "file" + std::to_string(i);
        }
        if (i % 4 == 0 && i / 4 < Images) {
            const auto w = static_cast<std::uint32_t>(16 + random() % 240);
            const auto h = static_cast<std::uint32_t>(16 + random() % 180);
            const auto shade = static_cast<std::uint8_t>(random());
            switch ((i / 4) % 4) {
                case 0: Write(folder / (base + ".png"), Png(w, h, shade)); break;
                case 1: Write(folder / (base + ".BMP"), Bmp(w, h, shade)); break;
                case 2: Write(folder / (base + ".jpg"), jpegs[random() % jpegs.size()]); break;
                default: Write(folder / (base + ".gif"), gifs[random() % gifs.size()]); break;
            }
        } else {
            Bytes data(1024 + random() % (15 * 1024), static_cast<std::uint8_t>(i));
            Write(folder / (base + "." + others[random() % std::size(others)]), data);
        }
    }
    return 0;
}

int Many(const fs::path& root, long count) {
    const Bytes content(16, 'x');
    for (long i = 0; i < count; ++i) {
        const fs::path folder = root / ("folder" + std::to_string(i / 500));
        if (i % 500 == 0) fs::create_directories(folder);
        Write(folder / ("picture" + std::to_string(i) + ".jpg"), content);
    }
    return 0;
}

int Collide(const fs::path& root, const fs::path& seedFolder, int Files) {
    const std::vector<Bytes> jpegs = Seeds(seedFolder, ".jpg");
    const std::vector<Bytes> gifs = Seeds(seedFolder, ".gif");
    std::mt19937 random(20240717);
    const int Folders = std::max(3, Files / 50);
    for (int f = 0; f < Folders; ++f) fs::create_directories(root / ("roll" + std::to_string(f)));
    const auto folder = [&](int f) { return root / ("roll" + std::to_string(f % Folders)); };
    // The pictures of the mixed tree: PNG, BMP, JPEG and GIF in turn. `variant` 0, 1 and 2 give
    // three sizes of one kind: three heights, or three of the seeds.
    struct Picture {
        Bytes bytes;
        std::string extension;
    };
    const auto picture = [&](int i, int variant) -> Picture {
        const auto w = static_cast<std::uint32_t>(16 + random() % 240);
        const auto h = static_cast<std::uint32_t>(16 + random() % 180 + variant);
        const auto shade = static_cast<std::uint8_t>(random());
        const std::size_t seed = static_cast<std::size_t>(i + 2 * variant) % jpegs.size();
        switch (i % 4) {
            case 0: return {Png(w, h, shade), ".png"};
            case 1: return {Bmp(w, h, shade), ".BMP"};
            case 2: return {jpegs[seed], ".jpg"};
            default: return {gifs[seed % gifs.size()], ".gif"};
        }
    };
    int written = 0;
    int i = 0;
    // Half the pictures in twos: one name, two sizes, two folders, so that a third of all
    // names are held by two pictures. The first of each two takes the name, the second finds
    // it taken by another size.
    for (; written + 2 <= Files / 2; ++i) {
        std::mt19937::result_type state = random();
        for (int k = 0; k < 2; ++k) {
            random.seed(state);  // the same width and shade for the two, another height
            const Picture p = picture(i, k);
            const int at = i + k * (Folders / 2);
            Write(folder(at) / ("shared" + std::to_string(i) + p.extension), p.bytes);
            ++written;
            // One two in twenty has its second picture twice, the copy in a third folder:
            // its name is taken by another size, and its bytes stand under a number.
            if (k == 1 && i % 20 == 0) {
                Write(folder(at + 1) / ("shared" + std::to_string(i) + p.extension), p.bytes);
                ++written;
            }
        }
        random.seed(state + 1);
    }
    // The rest under names of their own; every fiftieth is the picture before it once more,
    // in another folder under the same name.
    Bytes previous;
    std::string previousName;
    for (; written < Files; ++i, ++written) {
        if (written % 50 == 0 && !previous.empty()) {
            Write(folder(i + 1) / previousName, previous);
            previous.clear();
            continue;
        }
        const Picture p = picture(i, 0);
        previousName = "own" + std::to_string(i) + p.extension;
        Write(folder(i) / previousName, p.bytes);
        previous = p.bytes;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "mixed" && (argc == 4 || argc == 5)) {
        return Mixed(argv[2], argv[3], argc == 5 ? std::stoi(argv[4]) : 20000);
    }
    if (mode == "many" && argc == 4) return Many(argv[2], std::stol(argv[3]));
    if (mode == "collide" && (argc == 4 || argc == 5)) {
        return Collide(argv[2], argv[3], argc == 5 ? std::stoi(argv[4]) : 6000);
    }
    std::fputs(
        "usage: make_tree mixed DIR SEEDS [N] | make_tree many DIR N | make_tree collide DIR "
        "SEEDS [N]\n",
        stderr);
    return 2;
}
