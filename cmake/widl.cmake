# pendrel_typelib(<target> <idl>): compiles an IDL file with widl into a header,
# the GUID definitions and a type library, and an .rc that embeds the library
# as TYPELIB resource 1. Adds all three generated sources to <target>.
set(WINE_IDL_DIR /usr/include/wine/wine/windows)
# The type library's pointer size and the imported stdole2.tlb follow the target.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(WIDL_ARCH -m32)
  set(WINE_TLB_DIR /usr/lib/i386-linux-gnu/wine/i386-windows)
else()
  set(WIDL_ARCH -m64)
  set(WINE_TLB_DIR /usr/lib/x86_64-linux-gnu/wine/x86_64-windows)
endif()

function(pendrel_typelib target idl)
  get_filename_component(name ${idl} NAME_WE)
  get_filename_component(idl_abs ${idl} ABSOLUTE)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/generated)
  file(MAKE_DIRECTORY ${out})
  add_custom_command(
    OUTPUT ${out}/${name}.h ${out}/${name}_i.c ${out}/${name}.tlb
    COMMAND widl ${WIDL_ARCH} -I${WINE_IDL_DIR} -L${WINE_TLB_DIR} -h -o ${out}/${name}.h ${idl_abs}
    COMMAND widl ${WIDL_ARCH} -I${WINE_IDL_DIR} -L${WINE_TLB_DIR} -u -o ${out}/${name}_i.c ${idl_abs}
    COMMAND widl ${WIDL_ARCH} -I${WINE_IDL_DIR} -L${WINE_TLB_DIR} -t -o ${out}/${name}.tlb ${idl_abs}
    DEPENDS ${idl_abs}
    COMMENT "widl ${name}.idl")
  file(WRITE ${out}/${name}_tlb.rc.in "1 TYPELIB \"${out}/${name}.tlb\"\n")
  configure_file(${out}/${name}_tlb.rc.in ${out}/${name}_tlb.rc COPYONLY)
  set_source_files_properties(${out}/${name}_tlb.rc PROPERTIES OBJECT_DEPENDS ${out}/${name}.tlb)
  target_sources(${target} PRIVATE ${out}/${name}.h ${out}/${name}_i.c ${out}/${name}_tlb.rc)
  target_include_directories(${target} PUBLIC ${out})
endfunction()
