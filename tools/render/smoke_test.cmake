# Runs fizzlet-render for a few frames and checks that the PNG frames and the
# animated PNG it writes begin with a PNG signature and have the right size
# in their header.
file(REMOVE_RECURSE ${OUT})
execute_process(
  COMMAND ${RENDER} --width 160 --height 120 --kernels 20 --pop-chance 50 --seed 3
          --frames 12 --from 3 --every 3 --png ${OUT}/frames --apng ${OUT}/run.png
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "fizzlet-render failed: ${status}")
endif()
file(GLOB frames ${OUT}/frames/frame_*.png)
list(LENGTH frames count)
if(NOT count EQUAL 4)
  message(FATAL_ERROR "expected 4 PNG frames (3, 6, 9, 12), found ${count}")
endif()
foreach(picture ${frames} ${OUT}/run.png)
  file(READ ${picture} head LIMIT 24 HEX)
  # Signature, IHDR length and type, width 160 (0xa0) and height 120 (0x78).
  if(NOT head STREQUAL "89504e470d0a1a0a0000000d49484452000000a000000078")
    message(FATAL_ERROR "${picture} does not start like a 160 x 120 PNG: ${head}")
  endif()
endforeach()
file(READ ${OUT}/run.png actl OFFSET 33 LIMIT 16 HEX)
# acTL chunk announcing 4 frames.
string(SUBSTRING "${actl}" 8 8 type)
string(SUBSTRING "${actl}" 16 8 frames_announced)
if(NOT type STREQUAL "6163544c" OR NOT frames_announced STREQUAL "00000004")
  message(FATAL_ERROR "run.png has no acTL chunk for 4 frames: ${actl}")
endif()
