# Flags every target of ours gets: strict warnings, and the sanitizer of the build.
if(KELVO_SANITIZE AND KELVO_TSAN)
    message(FATAL_ERROR "KELVO_SANITIZE and KELVO_TSAN cannot be combined")
endif()
if(KELVO_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()
if(KELVO_TSAN)
    add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
    # GCC's uninitialised-use analysis misreads std::optional under this instrumentation.
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
        add_compile_options(-Wno-maybe-uninitialized)
    endif()
    add_link_options(-fsanitize=thread)
endif()
# Fuzzing: every library of ours carries the coverage libFuzzer steers by, under ASan and UBSan;
# only the fuzz binaries link libFuzzer itself.
if(KELVO_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang" OR KELVO_TSAN)
        message(FATAL_ERROR "KELVO_FUZZ needs clang and cannot be combined with KELVO_TSAN")
    endif()
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
                        -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()

function(kelvo_strict target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wshadow $<$<COMPILE_LANGUAGE:CXX>:-Wnon-virtual-dtor> -Werror)
endfunction()

# A static library for one layer, from every source in its folder.
function(kelvo_layer name dir)
    file(GLOB _sources CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.h)
    get_filename_component(dir_label ${dir} NAME)
    get_filename_component(dir_label ${dir} NAME)
    add_library(${name} STATIC ${_sources})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    kelvo_strict(${name})
endfunction()

# A GoogleTest executable from every source in a test folder, registered with ctest.
function(kelvo_test name dir)
    file(GLOB _sources CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.h)
    get_filename_component(dir_label ${dir} NAME)
    add_executable(${name} ${_sources})
    target_link_libraries(${name} PRIVATE ${ARGN} kelvo_testsupport)
    kelvo_strict(${name})
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 180 LABELS ${dir_label})
endfunction()
