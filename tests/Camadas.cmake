# The folders' one-way dependencies, checked on the #include lines of every source file.
#
#   cmake -DRAIZ=<source tree> -P Camadas.cmake
#
# Fails, naming file and line, when a folder includes a folder (or Qt, or X11) that the table
# below does not allow it, or when a quoted include resolves to no file of the tree. Qt lives
# only in folders named qt/ and in host/ and tools/: everything below the windows is standard
# C++ that the Windows build compiles without Qt. The test folders are left out: tests may
# include anything. Prints the graph between folders.

cmake_minimum_required(VERSION 3.25)

if(NOT RAIZ)
  message(FATAL_ERROR "RAIZ (the source tree) is not set")
endif()

# Folder, then what it may include. Qt and X11 stand for their headers.
set(PASTAS
  include base db extenso platform platform/posix platform/qt platform/win32 notera/core
  notera/report notera/report/qt notera/report/win32 notera/posting notera/notice notera/form
  notera/form/qt notera/form/win32 notera/entry notera/entry/qt notera/entry/win32 cheque host
  host/win32 tools)
set(PODE_include "")
set(PODE_base "")
set(PODE_db base)
set(PODE_extenso base)
set(PODE_platform base)
set(PODE_platform/posix base platform)
set(PODE_platform/qt base platform Qt X11)
set(PODE_platform/win32 base platform)
set(PODE_notera/core base db platform include)
set(PODE_notera/report base)
set(PODE_notera/report/qt base platform notera/report Qt)
set(PODE_notera/report/win32 base platform platform/win32 notera/report)
set(PODE_notera/posting base db platform notera/core)
set(PODE_notera/notice base db platform extenso notera/core notera/report)
set(PODE_notera/form base db platform notera/core)
set(PODE_notera/form/qt base db platform notera/core notera/form Qt)
set(PODE_notera/form/win32 base db platform platform/win32 notera/core notera/form)
set(PODE_notera/entry
  base db platform extenso include notera/core notera/report notera/posting notera/notice
  notera/form)
set(PODE_notera/entry/qt
  base db platform extenso include notera/core notera/report notera/report/qt notera/posting
  notera/notice notera/form notera/form/qt notera/entry Qt)
set(PODE_notera/entry/win32
  base db platform platform/win32 extenso include notera/core notera/report notera/report/win32
  notera/posting notera/notice notera/form notera/form/win32 notera/entry)
set(PODE_cheque base extenso platform include)
set(PODE_host base db platform include Qt)
# The Windows host: the host's parts without Qt and the Win32 helpers.
set(PODE_host/win32 base db platform platform/win32 include host)
set(PODE_tools base db notera/core notera/form notera/posting include host Qt)

# Folders whose CMake target may not link Qt or platform/ either.
set(SEM_QT base db extenso notera/report)

# The folder of a path relative to the tree: the longest folder of the table it lies in.
function(pasta_de caminho saida)
  set(melhor "")
  foreach(p IN LISTS PASTAS)
    string(LENGTH "${p}" n)
    string(SUBSTRING "${caminho}/" 0 ${n} inicio)
    string(LENGTH "${melhor}" nm)
    if(inicio STREQUAL p AND n GREATER nm)
      string(SUBSTRING "${caminho}/" ${n} 1 depois)
      if(depois STREQUAL "/")
        set(melhor "${p}")
      endif()
    endif()
  endforeach()
  set(${saida} "${melhor}" PARENT_SCOPE)
endfunction()

set(falhas "")
set(arestas "")
foreach(p IN LISTS PASTAS)
  file(GLOB_RECURSE fontes RELATIVE "${RAIZ}" "${RAIZ}/${p}/*.h" "${RAIZ}/${p}/*.cpp")
  foreach(f IN LISTS fontes)
    pasta_de("${f}" dona)
    if(NOT dona STREQUAL p OR f MATCHES "(^|/)tests/")
      continue() # a deeper folder of the table, or tests
    endif()
    get_filename_component(dir "${f}" DIRECTORY)
    file(STRINGS "${RAIZ}/${f}" linhas REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
    foreach(l IN LISTS linhas)
      set(alvo "")
      if(l MATCHES "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\"")
        set(inc "${CMAKE_MATCH_1}")
        foreach(raiz IN ITEMS "${dir}" "." "include" "extenso")
          if(EXISTS "${RAIZ}/${raiz}/${inc}" AND NOT IS_DIRECTORY "${RAIZ}/${raiz}/${inc}")
            file(RELATIVE_PATH rel "${RAIZ}" "${RAIZ}/${raiz}/${inc}")
            pasta_de("${rel}" alvo)
            if(alvo STREQUAL "")
              set(alvo "?${rel}")
            endif()
            break()
          endif()
        endforeach()
        if(alvo STREQUAL "")
          list(APPEND falhas "${f}: \"${inc}\" is no file of the tree")
          continue()
        endif()
      elseif(l MATCHES "^[ \t]*#[ \t]*include[ \t]*<(Q[A-Za-z]*|Qt[A-Za-z]*/[^>]*)>")
        set(alvo Qt)
        set(inc "${CMAKE_MATCH_1}")
      elseif(l MATCHES "^[ \t]*#[ \t]*include[ \t]*<(X11/[^>]*)>")
        set(alvo X11)
        set(inc "${CMAKE_MATCH_1}")
      else()
        continue() # the standard library and the other system headers
      endif()
      if(alvo STREQUAL p)
        continue()
      endif()
      list(APPEND arestas "${p} -> ${alvo}")
      if(NOT alvo IN_LIST PODE_${p})
        list(APPEND falhas "${f}: includes ${inc} (${alvo}), which ${p}/ may not include")
      endif()
    endforeach()
  endforeach()
endforeach()

foreach(p IN LISTS SEM_QT)
  if(NOT EXISTS "${RAIZ}/${p}/CMakeLists.txt")
    continue()
  endif()
  file(READ "${RAIZ}/${p}/CMakeLists.txt" cm)
  string(REGEX REPLACE "#[^\n]*" "" cm "${cm}") # comments
  if(cm MATCHES "Qt6::|[ \t(]platform[ \t)]")
    list(APPEND falhas "${p}/CMakeLists.txt: links Qt or platform")
  endif()
endforeach()

list(REMOVE_DUPLICATES arestas)
list(SORT arestas)
string(REPLACE ";" "\n  " grafo "${arestas}")
message(STATUS "Includes between folders:\n  ${grafo}")

if(falhas)
  string(REPLACE ";" "\n  " texto "${falhas}")
  message(FATAL_ERROR "A folder includes what lies above it:\n  ${texto}")
endif()
