# The generator of the game's two bundled pictures (pictures/).
add_executable(orvanel-scene
  scene/main.cpp
  scene/bmp.cpp
  scene/raster.cpp
  scene/scene.cpp)
# No fused multiply-adds, whatever the machine offers: the committed
# pictures must come out byte for byte from any compiler.
target_compile_options(orvanel-scene PRIVATE ${ORVANEL_WARNINGS} -ffp-contract=off)
