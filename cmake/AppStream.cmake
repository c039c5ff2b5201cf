# The software-centre metadata (AppStream metainfo) of the desktop tool, made from
# packaging/vrk-split-merge.metainfo.xml.in: its releases are those of the changelog
# (packaging/changelog.in), so that one file tells both Debian and the software centres what
# changed.

# The component's id and addresses. There is no public site yet: the defaults follow the
# maintainer address; set them to the project's site when it has one (the id stays for good).
set(VSM_APPSTREAM_ID example.c_seed_98811a2a.vrk_split_merge
    CACHE STRING "AppStream component id (reverse domain name)")
set(VSM_HOMEPAGE_URL https://c-seed-98811a2a.example/vrk-split-merge
    CACHE STRING "The project's home page, for the software centres")
set(VSM_SCREENSHOT_URL ${VSM_HOMEPAGE_URL}/docs/window.png
    CACHE STRING "Where the README's picture of the window (docs/window.png) is published")

function(vsm_xml_escape text out)
  string(REPLACE "&" "&amp;" text "${text}")
  string(REPLACE "<" "&lt;" text "${text}")
  string(REPLACE ">" "&gt;" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# The <release> elements of a Debian changelog, newest first: the version of each entry, the
# date of its trailer line and its items.
function(vsm_appstream_releases changelog out)
  set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
  file(READ ${changelog} text)
  # One list element per line; a semicolon in the text must not split a line.
  string(REPLACE ";" "<semicolon>" text "${text}")
  string(REPLACE "\n" ";" lines "${text}")
  set(releases "")
  set(version "")
  set(items "")  # the entry's finished <li> lines
  set(item "")   # the item being read, which may go on over several lines
  foreach(line IN LISTS lines)
    string(REPLACE "<semicolon>" ";" line "${line}")
    if(line MATCHES "^[a-z0-9.+-]+ \\(([^)]+)\\) ")
      set(version ${CMAKE_MATCH_1})
      set(items "")
    elseif(line MATCHES "^  \\* (.*)$")
      set(text "${CMAKE_MATCH_1}")
      vsm_add_release_item()
      set(item "${text}")
    elseif(item AND line MATCHES "^    +(.*)$")
      string(APPEND item " ${CMAKE_MATCH_1}")
    elseif(line MATCHES "^ -- .*  [A-Z][a-z][a-z], ([0-9]+) ([A-Z][a-z][a-z]) ([0-9]+) ")
      set(day ${CMAKE_MATCH_1})
      set(year ${CMAKE_MATCH_3})
      list(FIND months ${CMAKE_MATCH_2} month)
      if(NOT version OR month EQUAL -1)
        message(FATAL_ERROR "${changelog}: cannot read the release of \"${line}\"")
      endif()
      math(EXPR month "${month} + 1")
      string(REGEX REPLACE "^0" "" day "${day}")
      foreach(part day month)
        if(${part} LESS 10)
          string(PREPEND ${part} 0)
        endif()
      endforeach()
      vsm_add_release_item()
      string(APPEND releases
        "    <release version=\"${version}\" date=\"${year}-${month}-${day}\">\n"
        "      <description>\n        <ul>\n${items}        </ul>\n      </description>\n"
        "    </release>\n")
      set(version "")
    endif()
  endforeach()
  if(releases STREQUAL "")
    message(FATAL_ERROR "${changelog} names no release")
  endif()
  string(REGEX REPLACE "\n$" "" releases "${releases}")
  set(${out} "${releases}" PARENT_SCOPE)
endfunction()

# Inside vsm_appstream_releases: the item read so far becomes a <li> line.
macro(vsm_add_release_item)
  if(NOT item STREQUAL "")
    string(STRIP "${item}" item)
    vsm_xml_escape("${item}" item)
    string(APPEND items "          <li>${item}</li>\n")
    set(item "")
  endif()
endmacro()

# Writes the metainfo file into the build tree, with the releases of `changelog` (the changelog
# as configured, with its version); returns its path in `out`.
function(vsm_configure_metainfo changelog out)
  set(template ${CMAKE_SOURCE_DIR}/packaging/vrk-split-merge.metainfo.xml.in)
  vsm_appstream_releases(${changelog} VSM_APPSTREAM_RELEASES)
  set(metainfo ${CMAKE_BINARY_DIR}/packaging/${VSM_APPSTREAM_ID}.metainfo.xml)
  configure_file(${template} ${metainfo} @ONLY)
  set(${out} ${metainfo} PARENT_SCOPE)
endfunction()
