# cmake -DBUILD_DIR=... -DTARGET=... -DEXPECT=regex -P ExpectBuildRefused.cmake
# Passes when building TARGET fails with output matching EXPECT.
execute_process(COMMAND ${CMAKE_COMMAND} --build ${BUILD_DIR} --target ${TARGET}
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(result EQUAL 0)
  message(FATAL_ERROR "${TARGET} built, although it reaches into a higher layer")
endif()
if(NOT output MATCHES "${EXPECT}")
  message(FATAL_ERROR "${TARGET} failed, but not with /${EXPECT}/:\n${output}")
endif()
message(STATUS "${TARGET} refused as expected: ${CMAKE_MATCH_0}")
