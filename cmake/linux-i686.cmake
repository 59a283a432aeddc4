# Builds for 32-bit x86 Linux with the host's own compilers (Debian's g++-multilib): the check that the file
# loaders compute every size safely on a 32-bit size_t. Where the kernel cannot run 32-bit programs, give
# -DCMAKE_CROSSCOMPILING_EMULATOR=qemu-i386 and the tests run under user-mode emulation.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_FLAGS_INIT -m32)
set(CMAKE_CXX_FLAGS_INIT -m32)
set(CMAKE_EXE_LINKER_FLAGS_INIT -m32)
set(CMAKE_SHARED_LINKER_FLAGS_INIT -m32)
