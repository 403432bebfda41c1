# Settings shared by every Lyricue target: strict warnings and explicit text conversions.
add_library(lyricue_settings INTERFACE)
if(MSVC)
  target_compile_options(lyricue_settings INTERFACE /W4 /WX /utf-8)
else()
  target_compile_options(lyricue_settings INTERFACE -Wall -Wextra -Werror)
endif()
target_compile_definitions(lyricue_settings INTERFACE
  QT_NO_CAST_FROM_ASCII
  LYRICUE_VERSION_MAJOR=${PROJECT_VERSION_MAJOR}
  LYRICUE_VERSION_MINOR=${PROJECT_VERSION_MINOR}
  LYRICUE_VERSION_PATCH=${PROJECT_VERSION_PATCH}
  LYRICUE_VERSION_TEXT="${PROJECT_VERSION}")
