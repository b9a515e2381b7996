# Cross-building for 32-bit ARM Linux (hard float) with Debian's
# g++-arm-linux-gnueabihf. Programs built here run under qemu-arm (package
# qemu-user) with the ARM system libraries from /usr/arm-linux-gnueabihf;
# ctest and GoogleTest's test discovery go through it on their own.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)

set(QUENDIX_ARM_TRIPLET arm-linux-gnueabihf)
set(CMAKE_C_COMPILER ${QUENDIX_ARM_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${QUENDIX_ARM_TRIPLET}-g++)
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-arm -L /usr/${QUENDIX_ARM_TRIPLET})

# A package built for ARM outside the sysroot, such as GoogleTest, is named
# by its <Package>_DIR (scripts/test-arm.sh sets GTest_DIR).
set(CMAKE_FIND_ROOT_PATH /usr/${QUENDIX_ARM_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
