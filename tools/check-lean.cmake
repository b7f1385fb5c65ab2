# Run after ovra.exe is linked (cmake -DEXE=... -DMAP=... -DLIMIT=... -P check-lean.cmake):
# fails the build when the exe links MinGW's own printf, which comes back as soon as a
# file formats with snprintf under headers that switch it on, or when a release build
# (LIMIT, in bytes; 0 for none) is larger than the limit.
file(READ "${MAP}" map)
# The part after this heading lists what was linked; earlier parts also name what was not.
string(FIND "${map}" "Linker script and memory map" linked)
if(linked LESS 0)
    message(FATAL_ERROR "${MAP} is not a linker map")
endif()
string(SUBSTRING "${map}" ${linked} -1 map)
string(FIND "${map}" "__mingw_pformat" printf)
if(printf GREATER_EQUAL 0)
    file(REMOVE "${EXE}")
    message(FATAL_ERROR "ovra.exe links MinGW's own printf (__mingw_pformat): a file that "
                        "includes windows.h formats with snprintf; see ovra_lean in CMakeLists.txt")
endif()
file(SIZE "${EXE}" size)
if(LIMIT GREATER 0 AND size GREATER LIMIT)
    file(REMOVE "${EXE}")
    message(FATAL_ERROR "ovra.exe is ${size} bytes, more than the ${LIMIT} allowed")
endif()
