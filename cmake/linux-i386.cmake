# 32-bit Linux (g++ -m32), run here under qemu-i386: the one build in which the engine's
# 32-bit arithmetic (size_t, long, a double cut to a pixel) meets the tests, since this
# kernel executes no 32-bit program and the shipped i686 Windows program runs nowhere here.
# Doubles on SSE2 as in win32: see CMakeLists.txt.
# The large-file flags give readdir, stat and off_t their 64-bit forms: without them readdir
# fails with EOVERFLOW wherever an entry's inode number or offset passes 32 bits, which on
# this machine's file system is every folder. _TIME_BITS=64: a time_t that passes 2038.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER gcc)
set(CMAKE_CXX_COMPILER g++)
set(tessel_i386_flags "-m32 -D_FILE_OFFSET_BITS=64 -D_TIME_BITS=64")
set(CMAKE_C_FLAGS_INIT "${tessel_i386_flags}")
set(CMAKE_CXX_FLAGS_INIT "${tessel_i386_flags}")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-m32")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-m32")
set(CMAKE_LIBRARY_ARCHITECTURE i386-linux-gnu)

# No binfmt_misc here: every 32-bit program, the tests and the tessel they start, runs
# through the emulator.
find_program(TESSEL_QEMU_I386 qemu-i386 REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${TESSEL_QEMU_I386})
