# orvanel-replay: the real game over the windowless facility, fed by a script.
add_library(orvanel_replay_script STATIC replay/script.cpp replay/crc32.cpp)
target_include_directories(orvanel_replay_script PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/replay)
target_compile_options(orvanel_replay_script PRIVATE ${ORVANEL_WARNINGS})

add_executable(orvanel-replay replay/main.cpp)
target_compile_options(orvanel-replay PRIVATE ${ORVANEL_WARNINGS})
target_link_libraries(orvanel-replay PRIVATE orvanel_replay_script orvanel_game orvanel_pam)
