# The BMP reader's tests.
add_executable(picture_tests picture_test.cpp)
target_compile_options(picture_tests PRIVATE ${ORVANEL_WARNINGS})
target_link_libraries(picture_tests PRIVATE orvanel_game GTest::gtest_main)
gtest_discover_tests(picture_tests DISCOVERY_MODE PRE_TEST)

# orvanel-pictures, run as a program on folders the tests fill.
add_executable(pictures_tool_tests pictures_tool_test.cpp)
target_compile_options(pictures_tool_tests PRIVATE ${ORVANEL_WARNINGS})
target_compile_definitions(pictures_tool_tests PRIVATE ORVANEL_PICTURES_TOOL="$<TARGET_FILE:orvanel-pictures>")
target_link_libraries(pictures_tool_tests PRIVATE GTest::gtest_main)
add_dependencies(pictures_tool_tests orvanel-pictures)
gtest_discover_tests(pictures_tool_tests DISCOVERY_MODE PRE_TEST)
