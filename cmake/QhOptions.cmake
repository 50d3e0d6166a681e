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
    target_compile_options(qh_options INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer
                           -fno-sanitize-recover=undefined)
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
endfunction()

# Registers one QTest program with CTest, with the environment every test needs: no display,
# Qt WebEngine allowed to run as root and without a GPU.
function(qh_add_test name)
    cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} qh_testsupport Qt6::Test qh_options)
    add_test(NAME ${name} COMMAND ${name})
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 300)
    endif()
    set_tests_properties(${name} PROPERTIES
        TIMEOUT ${ARG_TIMEOUT}
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QTWEBENGINE_DISABLE_SANDBOX=1;QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu;QH_TEST_DATA=${CMAKE_SOURCE_DIR}/tests/data;LANG=C.UTF-8")
endfunction()
