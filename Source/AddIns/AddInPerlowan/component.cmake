# The component library Perlowan (libPerlowan.so): the add-in's units behind the four standard
# exports, with its type library compiled from Perlowan.idl by widl and embedded.
set(PERLOWAN_COMPONENT_DIR ${CMAKE_CURRENT_SOURCE_DIR}/component)
set(PERLOWAN_TLB_DIR ${CMAKE_CURRENT_BINARY_DIR}/typelib)

find_program(PERLOWAN_WIDL NAMES i686-w64-mingw32-widl x86_64-w64-mingw32-widl widl)
if(NOT PERLOWAN_WIDL)
  message(FATAL_ERROR "widl not found: install the Debian package mingw-w64-tools")
endif()

# The automation library stand-in first: Perlowan.idl imports it with importlib.
add_custom_command(
  OUTPUT ${PERLOWAN_TLB_DIR}/stdole2.tlb
  COMMAND ${CMAKE_COMMAND} -E make_directory ${PERLOWAN_TLB_DIR}
  COMMAND ${PERLOWAN_WIDL} --nostdinc -I${PERLOWAN_COMPONENT_DIR} -t
          -o ${PERLOWAN_TLB_DIR}/stdole2.tlb ${PERLOWAN_COMPONENT_DIR}/stdole2.idl
  DEPENDS ${PERLOWAN_COMPONENT_DIR}/stdole2.idl ${PERLOWAN_COMPONENT_DIR}/automation.idl
  COMMENT "widl: stdole2.tlb"
  VERBATIM)
add_custom_command(
  OUTPUT ${PERLOWAN_TLB_DIR}/Perlowan.tlb
  COMMAND ${PERLOWAN_WIDL} --nostdinc -I${PERLOWAN_COMPONENT_DIR} -L${PERLOWAN_TLB_DIR} -t
          -o ${PERLOWAN_TLB_DIR}/Perlowan.tlb ${PERLOWAN_COMPONENT_DIR}/Perlowan.idl
  DEPENDS ${PERLOWAN_COMPONENT_DIR}/Perlowan.idl ${PERLOWAN_COMPONENT_DIR}/automation.idl
          ${PERLOWAN_TLB_DIR}/stdole2.tlb
  COMMENT "widl: Perlowan.tlb"
  VERBATIM)
add_custom_command(
  OUTPUT ${PERLOWAN_TLB_DIR}/PerlowanTypeLib.cpp
  COMMAND ${CMAKE_COMMAND} -DINPUT=${PERLOWAN_TLB_DIR}/Perlowan.tlb
          -DOUTPUT=${PERLOWAN_TLB_DIR}/PerlowanTypeLib.cpp -DSYMBOL=kPerlowanTypeLib
          -P ${PERLOWAN_COMPONENT_DIR}/EmbedBytes.cmake
  DEPENDS ${PERLOWAN_TLB_DIR}/Perlowan.tlb ${PERLOWAN_COMPONENT_DIR}/EmbedBytes.cmake
  COMMENT "Embedding Perlowan.tlb"
  VERBATIM)

# Registration and resources, shared by the library and its tests.
add_library(perlowan_component_server STATIC
  component/Registration.cpp
  component/Resources.cpp
  ${PERLOWAN_TLB_DIR}/PerlowanTypeLib.cpp)
target_include_directories(perlowan_component_server PUBLIC ${PERLOWAN_COMPONENT_DIR})
target_link_libraries(perlowan_component_server PUBLIC perlowan_component perlowan_platform)

# The add-in's units come in through what cITelmora uses (the window, and through it the tips,
# the grid and the storage), so a unit the add-in does not reach adds nothing to the library.
# The library exports its entry points only (component/Perlowan.map): everything else it holds
# binds within it, and what it shares with its host comes from the runtime library.
add_library(Perlowan SHARED component/Server.cpp)
target_link_libraries(Perlowan PRIVATE perlowan_component_server perlowan_addin)
target_link_options(Perlowan PRIVATE -Wl,--version-script=${PERLOWAN_COMPONENT_DIR}/Perlowan.map)
set_target_properties(Perlowan PROPERTIES LINK_DEPENDS ${PERLOWAN_COMPONENT_DIR}/Perlowan.map)

perlowan_test(component_test
  SOURCES component/Component_test.cpp
  LIBS perlowan_component_server perlowan_addin)
if(TARGET component_test)
  target_compile_definitions(component_test PRIVATE
    PERLOWAN_COMPONENT_DIR="${PERLOWAN_COMPONENT_DIR}"
    PERLOWAN_TLB_FILE="${PERLOWAN_TLB_DIR}/Perlowan.tlb")
endif()
