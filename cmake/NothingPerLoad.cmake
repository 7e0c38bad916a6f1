# Fails the build when the library carries runtime parts that take a resource per load and
# never give it back: emulated thread-local storage, or a threads runtime.
execute_process(COMMAND ${OBJDUMP} -t ${LIBRARY} OUTPUT_VARIABLE symbols RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "cannot read the symbols of ${LIBRARY}")
endif()
string(REGEX MATCHALL "(__emutls_[a-z_]+|pthread_[a-z_]+)" found "${symbols}")
if(found)
  list(REMOVE_DUPLICATES found)
  list(SUBLIST found 0 4 found)
  # The cross build has the win32 thread model and must be clean; a native MSYS2 compiler may
  # only have the posix model, whose build is still useful for development.
  if(STRICT)
    message(FATAL_ERROR "${LIBRARY} keeps per-load runtime state: ${found}")
  endif()
  message(WARNING "${LIBRARY} keeps per-load runtime state (${found}): build with a win32-thread-model compiler to ship it")
endif()
