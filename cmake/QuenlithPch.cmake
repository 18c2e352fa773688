# Precompiled headers: the GTK, WebKit, JSON and GoogleTest headers are most of what each
# translation unit parses. One header set per kind of target, compiled once and reused by every
# target of that kind in the same build tree (the compile flags there are alike).
# Off where a compiler cache shares objects between clones (scripts/compiler-cache.sh decides).
option(QUENLITH_PCH "Precompile the heavy library headers" ON)

set(QUENLITH_PCH_STD <algorithm> <array> <cstdint> <functional> <map> <memory> <optional> <set>
    <string> <string_view> <utility> <vector>)
set(QUENLITH_PCH_MODEL ${QUENLITH_PCH_STD} <glib.h> <nlohmann/json.hpp>)
set(QUENLITH_PCH_GUI ${QUENLITH_PCH_MODEL} <gtkmm.h> <webkit2/webkit2.h>)

# quenlith_pch(TARGET KIND): KIND is model, gui, model_test or gui_test. The first target of a kind
# compiles the header set; the later ones of that kind reuse it.
function(quenlith_pch target kind)
  if(NOT QUENLITH_PCH OR NOT TARGET ${target})
    return()
  endif()
  get_property(owner GLOBAL PROPERTY QUENLITH_PCH_OWNER_${kind})
  if(owner)
    target_precompile_headers(${target} REUSE_FROM ${owner})
    return()
  endif()
  if(kind STREQUAL "model")
    set(headers ${QUENLITH_PCH_MODEL})
  elseif(kind STREQUAL "gui")
    set(headers ${QUENLITH_PCH_GUI})
  elseif(kind STREQUAL "model_test")
    set(headers ${QUENLITH_PCH_MODEL} <gtest/gtest.h>)
  else()
    set(headers ${QUENLITH_PCH_GUI} <gtest/gtest.h>)
  endif()
  target_precompile_headers(${target} PRIVATE ${headers})
  set_property(GLOBAL PROPERTY QUENLITH_PCH_OWNER_${kind} ${target})
endfunction()
