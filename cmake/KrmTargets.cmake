# Shared settings for the project's own targets.

function(krm_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wshadow -Wpedantic)
    if(KRM_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()

# One GoogleTest binary per test folder: tests/<name>/*.cpp -> krm_tests_<name>.
function(krm_gtest_folder name)
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${name}/*.cpp)
    if(NOT sources)
        return()
    endif()
    add_executable(krm_tests_${name} ${sources})
    target_link_libraries(krm_tests_${name} PRIVATE krm_core krm_test_support GTest::gtest_main)
    target_include_directories(krm_tests_${name} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
    krm_warnings(krm_tests_${name})
    gtest_discover_tests(krm_tests_${name}
        WORKING_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}
        PROPERTIES LABELS core
        DISCOVERY_TIMEOUT 60)
endfunction()
