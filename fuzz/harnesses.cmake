# The harnesses and their sources, shared by the libFuzzer build (fuzz/CMakeLists.txt)
# and the plain replay programs (fuzz/replay/CMakeLists.txt).
set(fuzz_dir ${CMAKE_SOURCE_DIR}/fuzz)
set(NIMBREL_FUZZ_HARNESSES session vyp obj find)
set(session_sources ${fuzz_dir}/session_fuzzer.cpp ${fuzz_dir}/session_input.cpp ${fuzz_dir}/scratch_folder.cpp)
set(find_sources ${fuzz_dir}/find_fuzzer.cpp)
set(vyp_sources ${fuzz_dir}/vyp_fuzzer.cpp ${fuzz_dir}/scratch_folder.cpp)
# The viewer's parser is Qt-free; only its own source is linked.
set(obj_sources ${fuzz_dir}/obj_fuzzer.cpp ${CMAKE_SOURCE_DIR}/viewer/obj_parser.cpp)
