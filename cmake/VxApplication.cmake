# vx_add_application(<target> APP_ID <id> PACKAGE_ID <pkg> VERSION <v> [NAME <name>])
# Registers an executable target as an application of the build tree: writes
# ${CMAKE_BINARY_DIR}/bin/apps/<appId>.manifest, which the application
# registry finds beside build/bin programs (and through IAP_APPS_DIR).
function(vx_add_application target)
  cmake_parse_arguments(A "" "APP_ID;PACKAGE_ID;VERSION;NAME" "" ${ARGN})
  foreach(required APP_ID PACKAGE_ID VERSION)
    if(NOT A_${required})
      message(FATAL_ERROR "vx_add_application(${target}): ${required} is required")
    endif()
  endforeach()
  if(NOT A_APP_ID MATCHES "^[A-Za-z0-9_-][A-Za-z0-9._-]*$")
    message(FATAL_ERROR "vx_add_application(${target}): '${A_APP_ID}' is not a valid application id")
  endif()
  set(_content "appId=${A_APP_ID}\npackageId=${A_PACKAGE_ID}\nversion=${A_VERSION}\n")
  if(A_NAME)
    string(APPEND _content "name=${A_NAME}\n")
  endif()
  # Relative to the manifest's folder (bin/apps), so the tree can move.
  string(APPEND _content "executable=../$<TARGET_FILE_NAME:${target}>\n")
  set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
  file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/bin/apps/${A_APP_ID}.manifest CONTENT "${_content}")
endfunction()
