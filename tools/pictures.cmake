# orvanel-pictures: checks the game's pictures as the game loads them.
add_executable(orvanel-pictures pictures/main.cpp)
target_compile_options(orvanel-pictures PRIVATE ${ORVANEL_WARNINGS})
target_link_libraries(orvanel-pictures PRIVATE orvanel_game orvanel_pam)
