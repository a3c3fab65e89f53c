# Each target sees, and shows its users, only the folders of src/ it is made of: every
# target gets a folder of links under the build tree, one per folder of its own, and that
# folder is its public include path. A header of a layer above (the engine including the
# editor or the tools, the editor model including Qt's binding) is then not found.
function(quelmar_carpetas_publicas destino)
  set(raiz ${PROJECT_BINARY_DIR}/include/${destino})
  file(MAKE_DIRECTORY ${raiz})
  foreach(sub IN LISTS ARGN)
    if(NOT EXISTS ${raiz}/${sub})
      file(CREATE_LINK ${PROJECT_SOURCE_DIR}/src/${sub} ${raiz}/${sub} SYMBOLIC)
    endif()
  endforeach()
  target_include_directories(${destino} PUBLIC $<BUILD_INTERFACE:${raiz}>)
endfunction()
