# Sourced: configures and builds the three trees under build/.
OVRA_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

build_native() {
    cmake -S "$OVRA_ROOT" -B "$OVRA_ROOT/build/native" -DCMAKE_BUILD_TYPE=Debug \
        -DCMAKE_CXX_COMPILER=g++ -DOVRA_WERROR=ON >/dev/null &&
        cmake --build "$OVRA_ROOT/build/native" -j"$(nproc)"
}

# $1: x86_64 or i686; $2: ON to build the test programs too; $3: Release (the default, into
# build/$1) or Debug (into build/$1-debug), where a symbol defined twice cannot hide behind
# inlining.
build_windows() {
    local arch=$1 type=${3:-Release} dir="$OVRA_ROOT/build/$1"
    [ "$type" = Release ] || dir="$dir-$(echo "$type" | tr '[:upper:]' '[:lower:]')"
    cmake -S "$OVRA_ROOT" -B "$dir" -DCMAKE_BUILD_TYPE="$type" \
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
