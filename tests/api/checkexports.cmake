# The shared library's exports: only C functions (lower-case names, nothing mangled, nothing of
# Qt, jsoncpp or the library's own layers), and exactly those of the checked-in list, so that an
# export cannot vanish or appear unnoticed; and the list is what the header declares, so the two
# change together. After a change to kelvo.h:
#   cmake -DLIBRARY=build/src/libkelvo_dll.so -DWRITE=src/api/kelvo_exports.txt -P checkexports.cmake
execute_process(COMMAND nm -D --defined-only ${LIBRARY} OUTPUT_VARIABLE symbols RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "nm failed on ${LIBRARY}")
endif()
string(REGEX MATCHALL "[^\n]+" lines "${symbols}")
set(exported)
foreach(line IN LISTS lines)
    string(REGEX REPLACE "^[0-9a-fA-F]* *[A-Za-z] " "" name "${line}")
    if(NOT name MATCHES "^[a-z][a-z0-9_]*$")
        list(APPEND strays ${name})
    endif()
    list(APPEND exported ${name})
endforeach()
if(strays)
    message(FATAL_ERROR "symbols that are not exported C functions: ${strays}")
endif()
list(SORT exported)

if(WRITE)
    list(JOIN exported "\n" text)
    file(WRITE ${WRITE} "${text}\n")
    return()
endif()

# Fails unless the names of actual and expected are the same.
function(expect_same actual expected what)
    set(extra ${${actual}})
    list(REMOVE_ITEM extra ${${expected}})
    set(missing ${${expected}})
    list(REMOVE_ITEM missing ${${actual}})
    if(extra OR missing)
        message(FATAL_ERROR "${what} differ from ${EXPECTED}:\n"
                            "  not in the list: ${extra}\n  missing: ${missing}")
    endif()
endfunction()

file(STRINGS ${EXPECTED} listed)
expect_same(exported listed "the library's exports")

file(READ ${HEADER} header)
string(REGEX MATCHALL "KELVO_API[^;]*KELVO_CALL [a-z][a-z0-9_]*\\(" declarations "${header}")
set(declared)
foreach(declaration IN LISTS declarations)
    string(REGEX REPLACE ".* ([a-z0-9_]+)\\($" "\\1" name "${declaration}")
    list(APPEND declared ${name})
endforeach()
expect_same(declared listed "the functions kelvo.h declares")
