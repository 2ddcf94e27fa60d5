# The bundled pictures must be exactly what orvanel-scene draws.
add_executable(scene_tests scene_test.cpp)
target_compile_options(scene_tests PRIVATE ${ORVANEL_WARNINGS})
target_compile_definitions(scene_tests PRIVATE
  ORVANEL_SCENE_TOOL="$<TARGET_FILE:orvanel-scene>"
  ORVANEL_PICTURES_DIR="${PROJECT_SOURCE_DIR}/pictures")
target_link_libraries(scene_tests PRIVATE GTest::gtest_main)
add_dependencies(scene_tests orvanel-scene)
gtest_discover_tests(scene_tests DISCOVERY_MODE PRE_TEST)
