# Writes OUT, a C++ source defining kalo_view::pageTemplate() and pageScript()
# from TEMPLATE and the script files in SCRIPTS ('|'-separated, load order).
# Raw string literals in pieces below 16 KiB: some compilers limit one literal.
function(_kalo_literal var file)
  file(READ ${file} text)
  string(FIND "${text}" ")kalo\"" clash)
  if(NOT clash EQUAL -1)
    message(FATAL_ERROR "${file} contains the literal delimiter )kalo\"")
  endif()
  string(LENGTH "${text}" length)
  set(out "")
  set(at 0)
  while(at LESS length)
    string(SUBSTRING "${text}" ${at} 12000 piece)
    string(APPEND out "R\"kalo(${piece})kalo\"\n")
    math(EXPR at "${at} + 12000")
  endwhile()
  set(${var} "${out}" PARENT_SCOPE)
endfunction()

_kalo_literal(page ${TEMPLATE})
string(REPLACE "|" ";" SCRIPTS "${SCRIPTS}")
set(script "")
foreach(f IN LISTS SCRIPTS)
  file(READ ${f} text)
  string(FIND "${text}" "</script" closes)
  if(NOT closes EQUAL -1)
    message(FATAL_ERROR "${f} contains </script, which would end the page's script element")
  endif()
  _kalo_literal(piece ${f})
  string(APPEND script "${piece}")
endforeach()
file(WRITE ${OUT}.tmp "// Generated from tools/kalo-view/web/src by embed_assets.cmake; do not edit.
#include \"page_assets.hpp\"

namespace kalo_view {

const std::string& pageTemplate() {
  static const std::string text =
${page};
  return text;
}

const std::string& pageScript() {
  static const std::string text =
${script};
  return text;
}

}  // namespace kalo_view
")
file(COPY_FILE ${OUT}.tmp ${OUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUT}.tmp)
