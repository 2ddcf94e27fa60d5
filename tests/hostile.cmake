# The game started in hostile working folders (missing, empty, folder, pipe,
# looping and lying pictures), through orvanel-replay's real start-up.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
add_test(NAME hostile_folders
         COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/hostile/hostile.py $<TARGET_FILE:orvanel-replay>)
set_tests_properties(hostile_folders PROPERTIES TIMEOUT 300 LABELS hostile)
