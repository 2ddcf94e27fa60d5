# The PAM writer shared by the picture checker and the replay.
add_library(orvanel_pam STATIC pam.cpp)
target_include_directories(orvanel_pam PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_compile_options(orvanel_pam PRIVATE ${ORVANEL_WARNINGS})
