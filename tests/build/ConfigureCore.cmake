# Configures the core build (EXAMBELL_GUI=OFF, every other option at its default) afresh in
# BINARY_DIR: a target that links a library of the windows makes the configuration fail.
file(REMOVE_RECURSE ${BINARY_DIR})
execute_process(
    COMMAND ${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${BINARY_DIR} -G ${GENERATOR} -DEXAMBELL_GUI=OFF
    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
file(REMOVE_RECURSE ${BINARY_DIR})
if(NOT result EQUAL 0)
    message(FATAL_ERROR "The core build with default options does not configure:\n${output}")
endif()
