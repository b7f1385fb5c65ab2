# Sourced: configures and builds the three trees under build/.
OVRA_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

build_native() {
    cmake -S "$OVRA_ROOT" -B "$OVRA_ROOT/build/native" -DCMAKE_BUILD_TYPE=Debug \
        -DCMAKE_CXX_COMPILER=g++ -DOVRA_WERROR=ON >/dev/null &&
        cmake --build "$OVRA_ROOT/build/native" -j"$(nproc)"
}

build_windows() {  # $1: x86_64 or i686; $2: ON to build the test programs too
    local arch=$1 dir="$OVRA_ROOT/build/$1"
    cmake -S "$OVRA_ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$OVRA_ROOT/tools/toolchains/$arch-w64-mingw32.cmake" \
        -DOVRA_WERROR=ON -DOVRA_TESTS="${2:-OFF}" >/dev/null &&
        cmake --build "$dir" -j"$(nproc)"
}

# The release configuration (optimised for size, stripped) of tools/release and tools/bench.
build_release() {  # $1: x86_64 or i686; $2: build directory; $3: source tree (default: this one)
    local src=${3:-$OVRA_ROOT}
    cmake -S "$src" -B "$2" -DCMAKE_BUILD_TYPE=MinSizeRel \
        -DCMAKE_TOOLCHAIN_FILE="$src/tools/toolchains/$1-w64-mingw32.cmake" \
        -DCMAKE_CXX_FLAGS_MINSIZEREL="-Os -DNDEBUG" -DCMAKE_EXE_LINKER_FLAGS="-s" \
        -DOVRA_WERROR=ON -DOVRA_TESTS=OFF >/dev/null &&
        cmake --build "$2" -j"$(nproc)" >/dev/null
}
