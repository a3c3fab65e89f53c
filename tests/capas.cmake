# Fails when a file includes a header of a layer above its own, or names a class of a layer
# above in a forward declaration (which would hide the dependency from the includes). The
# engine's folders may include only the folders below them (runtime at the bottom, costing
# at the top); nothing of the engine or the editor model includes Qt, the editor or the
# tools; the run over call records (llamadas) includes no front end.
#   cmake -DRAIZ=<source dir> -P tests/capas.cmake
cmake_policy(SET CMP0057 NEW)
set(permitidos_runtime runtime)
set(permitidos_time runtime time)
set(permitidos_periods runtime periods)
set(permitidos_bono runtime time bono)
set(permitidos_catalogue runtime catalogue)
set(permitidos_costing runtime time periods bono catalogue costing)
set(permitidos_editor runtime catalogue editor)  # the model, without its Qt binding
# The run over call records: the engine, never a front end (tools, a window, Qt).
set(permitidos_llamadas runtime time periods bono catalogue costing llamadas)
# The costs window's model, without its Qt binding: the run's library, and the command
# line's bono JSON, output writer and report.
set(permitidos_costes runtime time periods bono catalogue costing llamadas tools costes)

set(capas runtime time periods bono catalogue costing editor llamadas costes)

# Where each class is defined: class_<Name> = its folder.
foreach(capa IN LISTS capas)
  file(GLOB cabeceras ${RAIZ}/src/${capa}/*.h ${RAIZ}/src/${capa}/formatos/*.h)
  foreach(f IN LISTS cabeceras)
    file(STRINGS ${f} definiciones REGEX "^[ \t]*(class|struct)[ \t]+[A-Za-z_][A-Za-z0-9_]*[ \t]*([:{]|final|$)")
    foreach(l IN LISTS definiciones)
      if(l MATCHES "^[ \t]*(class|struct)[ \t]+([A-Za-z_][A-Za-z0-9_]*)")
        set(clase_${CMAKE_MATCH_2} ${capa})
      endif()
    endforeach()
  endforeach()
endforeach()

set(fallos "")
foreach(capa IN LISTS capas)
  file(GLOB ficheros ${RAIZ}/src/${capa}/*.h ${RAIZ}/src/${capa}/*.cpp
                     ${RAIZ}/src/${capa}/formatos/*.h ${RAIZ}/src/${capa}/formatos/*.cpp)
  foreach(f IN LISTS ficheros)
    file(STRINGS ${f} declaradas REGEX "^[ \t]*(class|struct)[ \t]+[A-Za-z_][A-Za-z0-9_]*[ \t]*;")
    foreach(l IN LISTS declaradas)
      if(l MATCHES "^[ \t]*(class|struct)[ \t]+([A-Za-z_][A-Za-z0-9_]*)")
        set(suya "${clase_${CMAKE_MATCH_2}}")
        if(suya AND NOT suya IN_LIST permitidos_${capa})
          list(APPEND fallos
               "${f}: declara ${CMAKE_MATCH_2}, de ${suya}/, que ${capa}/ no puede usar")
        endif()
      endif()
    endforeach()
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
