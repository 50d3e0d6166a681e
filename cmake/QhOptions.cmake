get_filename_component(QH_SOURCE_ROOT "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)

# One INTERFACE target that carries the warnings, Qt defines and sanitizer flags of every target.
add_library(qh_options INTERFACE)
target_compile_options(qh_options INTERFACE
    -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Woverloaded-virtual
    $<$<BOOL:${QH_WERROR}>:-Werror>)
target_compile_definitions(qh_options INTERFACE
    QT_NO_CAST_FROM_ASCII
    QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
    QT_NO_URL_CAST_FROM_STRING)
if(QH_SANITIZE)
    # Line tables are all the sanitizers' reports need, and they build about a fifth faster than
    # full debugging information; -O1 (after the build type's -O2, so it wins) builds faster still
    # and is what AddressSanitizer is made for.
    target_compile_options(qh_options INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer
                           -fno-sanitize-recover=undefined -g1 -O1)
    target_link_options(qh_options INTERFACE -fsanitize=address,undefined)
endif()

# A static library of the project: its headers are included by folder ("common/cp932text.h"),
# so the project's root is its include path.
#   qh_add_library(name sources... LIBS public dependencies...)
function(qh_add_library name)
    cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
    add_library(${name} STATIC ${ARG_UNPARSED_ARGUMENTS})
    target_include_directories(${name} PUBLIC ${QH_SOURCE_ROOT})
    target_link_libraries(${name} PUBLIC ${ARG_LIBS} PRIVATE qh_options)
    set_property(GLOBAL APPEND PROPERTY QH_LIBRARIES ${name})
endfunction()

# Whether a target links, directly or through any library it links, one of the `forbidden` targets
# (regular expression). Walks the link interface of the project's own and of imported targets.
function(qh_links_any target forbidden result)
    set(seen)
    set(pending ${target})
    set(found "")
    while(pending)
        list(POP_FRONT pending current)
        string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" current "${current}")
        if(current IN_LIST seen OR NOT TARGET ${current})
            continue()
        endif()
        list(APPEND seen ${current})
        get_target_property(aliased ${current} ALIASED_TARGET)
        if(aliased)
            set(current ${aliased})
        endif()
        if(current MATCHES "${forbidden}")
            set(found ${current})
            break()
        endif()
        get_target_property(type ${current} TYPE)
        set(links)
        if(NOT type STREQUAL "INTERFACE_LIBRARY")
            get_target_property(direct ${current} LINK_LIBRARIES)
            if(direct)
                list(APPEND links ${direct})
            endif()
        endif()
        get_target_property(interface ${current} INTERFACE_LINK_LIBRARIES)
        if(interface)
            list(APPEND links ${interface})
        endif()
        list(APPEND pending ${links})
    endwhile()
    set(${result} "${found}" PARENT_SCOPE)
endfunction()

# The layers of the project's libraries, checked once every library exists: a library of a program's
# folder (every folder but common/ and tests/) links, directly or through others, only libraries of
# common/ and of its own folder, never another program's. A breach stops the configuration;
# `cmake --log-level=VERBOSE` also lists which folder's libraries use which.
function(qh_check_layers)
    get_property(libraries GLOBAL PROPERTY QH_LIBRARIES)
    set(folders)
    foreach(library ${libraries})
        get_target_property(source_dir ${library} SOURCE_DIR)
        file(RELATIVE_PATH folder ${QH_SOURCE_ROOT} ${source_dir})
        set(folder_of_${library} ${folder})
        list(APPEND folders ${folder})
    endforeach()
    list(REMOVE_DUPLICATES folders)
    list(SORT folders)
    foreach(library ${libraries})
        set(folder ${folder_of_${library}})
        get_target_property(links ${library} LINK_LIBRARIES)
        foreach(link ${links})
            if(DEFINED folder_of_${link} AND NOT folder_of_${link} STREQUAL folder)
                list(APPEND uses_${folder} ${folder_of_${link}})
            endif()
        endforeach()
        if(folder STREQUAL "common" OR folder MATCHES "^tests/")
            continue()
        endif()
        set(forbidden)
        foreach(other ${libraries})
            if(NOT folder_of_${other} STREQUAL "common" AND NOT folder_of_${other} STREQUAL folder)
                list(APPEND forbidden ${other})
            endif()
        endforeach()
        list(JOIN forbidden "|" forbidden)
        qh_links_any(${library} "^(${forbidden})$" breach)
        if(breach)
            message(FATAL_ERROR "${library} (${folder}/) links ${breach} (${folder_of_${breach}}/): a program's "
                                "libraries use only common/ and their own folder")
        endif()
    endforeach()
    foreach(folder ${folders})
        set(used ${uses_${folder}})
        list(REMOVE_DUPLICATES used)
        list(SORT used)
        list(JOIN used ", " used)
        if(NOT used)
            set(used "no other folder")
        endif()
        message(VERBOSE "layers: ${folder}/ uses ${used}")
    endforeach()
endfunction()

# Registers one QTest program with CTest, with the environment every test needs: no display,
# Qt WebEngine allowed to run as root and without a GPU. The test links what it names and nothing
# else; where QH_WINDOWLESS_TESTS is set (tests/core), a test that reaches Qt Widgets or Qt WebEngine
# through what it names stops the configuration. Its CTest label is `core` there, `windows`
# elsewhere, unless LABEL names another (`replay` for the fuzz corpora): `ctest -L core` runs the
# tests without windows alone.
#   qh_add_test(name SOURCES files... LIBS libraries... [ARGS arguments...] [TIMEOUT seconds] [LABEL label])
function(qh_add_test name)
    cmake_parse_arguments(ARG "" "TIMEOUT;LABEL" "SOURCES;LIBS;ARGS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} Qt6::Test qh_options)
    if(QH_WINDOWLESS_TESTS)
        qh_links_any(${name} "^Qt6::(Widgets|WebEngine)" window_library)
        if(window_library)
            message(FATAL_ERROR "${name} is a test without windows but links ${window_library}")
        endif()
    endif()
    add_test(NAME ${name} COMMAND ${name} ${ARG_ARGS})
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 300)
    endif()
    if(NOT ARG_LABEL)
        if(QH_WINDOWLESS_TESTS)
            set(ARG_LABEL core)
        else()
            set(ARG_LABEL windows)
        endif()
    endif()
    set_tests_properties(${name} PROPERTIES
        TIMEOUT ${ARG_TIMEOUT}
        LABELS ${ARG_LABEL}
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QTWEBENGINE_DISABLE_SANDBOX=1;QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu;QH_TEST_DATA=${QH_SOURCE_ROOT}/tests/data;LANG=C.UTF-8")
endfunction()

# The corpus folder of a fuzz target (fuzz/corpus/<folder>): the one given, else the target's name
# without its "fuzz_".
function(qh_fuzz_corpus_folder result name corpus)
    if(NOT corpus)
        string(REGEX REPLACE "^fuzz_" "" corpus ${name})
    endif()
    set(${result} ${QH_SOURCE_ROOT}/fuzz/corpus/${corpus} PARENT_SCOPE)
endfunction()
