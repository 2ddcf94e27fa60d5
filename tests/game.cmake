add_executable(game_tests game_test.cpp)
target_compile_options(game_tests PRIVATE ${ORVANEL_WARNINGS})
target_link_libraries(game_tests PRIVATE orvanel_game GTest::gtest_main)
gtest_discover_tests(game_tests DISCOVERY_MODE PRE_TEST)

add_executable(replay_tests replay_test.cpp)
target_compile_options(replay_tests PRIVATE ${ORVANEL_WARNINGS})
target_link_libraries(replay_tests PRIVATE orvanel_replay_script GTest::gtest_main)
target_compile_definitions(replay_tests PRIVATE ORVANEL_REPLAY="$<TARGET_FILE:orvanel-replay>")
add_dependencies(replay_tests orvanel-replay)
gtest_discover_tests(replay_tests DISCOVERY_MODE PRE_TEST)

# The real game in a real window on Xvfb, with the bundled pictures.
if(ORVANEL_WINDOW)
  add_test(NAME GameWindow.PlaysWithTheBundledPictures
           COMMAND /usr/bin/python3 ${CMAKE_CURRENT_SOURCE_DIR}/game_window/play_test.py
                   $<TARGET_FILE:orvanel> $<TARGET_FILE:orvanel-pictures> ${PROJECT_SOURCE_DIR}/pictures)
  set_tests_properties(GameWindow.PlaysWithTheBundledPictures PROPERTIES LABELS window TIMEOUT 90)
endif()
