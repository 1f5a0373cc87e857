# The zip users get: the programs with the default template beside them,
# readme.txt (code page 932, CR LF) and the licence.
set(quarnel_zip ${CMAKE_CURRENT_BINARY_DIR}/quarnel-win32.zip)
set(quarnel_readme ${CMAKE_CURRENT_BINARY_DIR}/readme.txt)
add_custom_command(
  OUTPUT ${quarnel_readme}
  COMMAND Python3::Interpreter ${CMAKE_CURRENT_SOURCE_DIR}/tools/make_readme.py
          ${CMAKE_CURRENT_SOURCE_DIR}/packaging/windows/readme.txt ${quarnel_readme}
          ${QUARNEL_VERSION_TEXT}
  DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tools/make_readme.py
          ${CMAKE_CURRENT_SOURCE_DIR}/packaging/windows/readme.txt)
add_custom_command(
  OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/LICENSE
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_CURRENT_SOURCE_DIR}/LICENSE
          ${CMAKE_CURRENT_BINARY_DIR}/LICENSE
  DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/LICENSE)
list(TRANSFORM QUARNEL_PROGRAMS REPLACE "(.+)" "$<TARGET_FILE_NAME:\\1>"
     OUTPUT_VARIABLE quarnel_zip_programs)
add_custom_command(
  OUTPUT ${quarnel_zip}
  COMMAND ${CMAKE_COMMAND} -E rm -f ${quarnel_zip}
  COMMAND ${CMAKE_COMMAND} -E tar cf ${quarnel_zip} --format=zip
          ${quarnel_zip_programs} template.dat readme.txt LICENSE
  WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
  DEPENDS ${QUARNEL_PROGRAMS} ${CMAKE_CURRENT_BINARY_DIR}/template.dat ${quarnel_readme}
          ${CMAKE_CURRENT_BINARY_DIR}/LICENSE)
add_custom_target(quarnel_zip ALL DEPENDS ${quarnel_zip})
