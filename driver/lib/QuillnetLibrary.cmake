# Defines the driver library (libquillnet.so in the program folder) from every
# driver part that exists: one shared object loaded by the ODBC driver manager.
# Included once all parts are defined, from this folder or deferred from wire.
add_library(quillnet SHARED ${CMAKE_CURRENT_LIST_DIR}/Library.cpp)
gw_warnings(quillnet)
set_target_properties(quillnet PROPERTIES CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
foreach(part qn_wire qn_session qn_odbc qn_setup)
  if(TARGET ${part})
    target_link_libraries(quillnet PRIVATE ${part})
  endif()
endforeach()
# Internal calls to our own entry points must never land in the driver manager.
target_link_options(quillnet PRIVATE -Wl,-Bsymbolic)
# A symbol missing from every part fails the build, not the driver manager's
# load. (Clang's sanitizers leave their runtime to the loading program.)
if(NOT (GW_SANITIZE AND CMAKE_CXX_COMPILER_ID STREQUAL "Clang"))
  target_link_options(quillnet PRIVATE -Wl,--no-undefined)
endif()
