# Fails when a file includes a header of a layer above its own. The engine's folders may
# include only the folders below them (runtime at the bottom, costing at the top); nothing
# of the engine or the editor model includes Qt, the editor or the tools.
#   cmake -DRAIZ=<source dir> -P tests/capas.cmake
cmake_policy(SET CMP0057 NEW)
set(permitidos_runtime runtime)
set(permitidos_time runtime time)
set(permitidos_periods runtime periods)
set(permitidos_bono runtime time bono)
set(permitidos_catalogue runtime catalogue)
set(permitidos_costing runtime time periods bono catalogue costing)
set(permitidos_editor runtime catalogue editor)  # the model, without its Qt binding

set(fallos "")
foreach(capa runtime time periods bono catalogue costing editor)
  file(GLOB ficheros ${RAIZ}/src/${capa}/*.h ${RAIZ}/src/${capa}/*.cpp)
  foreach(f IN LISTS ficheros)
    file(STRINGS ${f} lineas REGEX "^[ \t]*#[ \t]*include")
    foreach(l IN LISTS lineas)
      if(l MATCHES "#[ \t]*include[ \t]*<(Q[A-Za-z]*)")
        list(APPEND fallos "${f}: ${CMAKE_MATCH_1} es de Qt")
      elseif(l MATCHES "#[ \t]*include[ \t]*\"([a-z]+)/")
        set(incluida ${CMAKE_MATCH_1})
        if(NOT incluida IN_LIST permitidos_${capa})
          list(APPEND fallos "${f}: incluye ${incluida}/, que está por encima de ${capa}/")
        endif()
      endif()
    endforeach()
  endforeach()
endforeach()

if(fallos)
  list(JOIN fallos "\n" texto)
  message(FATAL_ERROR "${texto}")
endif()
message(STATUS "capas en orden")
