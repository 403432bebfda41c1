# Precompiled headers: the standard, Qt and GoogleTest headers that nearly every file includes
# are parsed once per build instead of once per file. A compiler takes a precompiled header
# only with the flags and macros it was made with (GCC's -Winvalid-pch, an error under -Werror,
# says which one differs), so targets that share their flags share one header.
option(LYRICUE_PRECOMPILE_HEADERS "Precompile the standard, Qt and GoogleTest headers" ON)
set(LYRICUE_PRECOMPILED_DIR ${CMAKE_CURRENT_LIST_DIR}/precompiled)

# ccache caches files compiled with a precompiled header only when told to trust its macros
# and time stamps (a fresh header is newer than ccache's margin); GCC must then also mark the
# header's place in the preprocessed text. Builds without ccache are not touched.
if(LYRICUE_PRECOMPILE_HEADERS AND CMAKE_CXX_COMPILER_LAUNCHER MATCHES "ccache"
   AND NOT CMAKE_CXX_COMPILER_LAUNCHER MATCHES "CCACHE_SLOPPINESS")
  set(CMAKE_CXX_COMPILER_LAUNCHER ${CMAKE_COMMAND} -E env
    CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime
    ${CMAKE_CXX_COMPILER_LAUNCHER})
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    add_compile_options(-fpch-preprocess)
  endif()
endif()

# lyricue_share_precompiled_header(GROUP HEADER TARGET...): the targets of one group are
# compiled with the same flags and macros; the group's first target precompiles HEADER
# (a file of cmake/precompiled/) and the others, later or in other folders, reuse it.
function(lyricue_share_precompiled_header group header)
  if(NOT LYRICUE_PRECOMPILE_HEADERS)
    return()
  endif()
  foreach(target IN LISTS ARGN)
    if(NOT TARGET ${target})
      continue()
    endif()
    get_property(owner GLOBAL PROPERTY LYRICUE_PRECOMPILED_${group})
    if(owner)
      target_precompile_headers(${target} REUSE_FROM ${owner})
    else()
      target_precompile_headers(${target} PRIVATE ${LYRICUE_PRECOMPILED_DIR}/${header})
      set_property(GLOBAL PROPERTY LYRICUE_PRECOMPILED_${group} ${target})
    endif()
  endforeach()
endfunction()
