# Writes OUT (a SHA256SUMS file) for the release files FILES (full paths), each by its name alone,
# in the format that `sha256sum --check SHA256SUMS` reads in the folder of the downloads.
#   cmake -DOUT=dist/SHA256SUMS "-DFILES=/path/a;/path/b" -P Sha256Sums.cmake
set(sums "")
foreach(path IN LISTS FILES)
  if(NOT EXISTS "${path}")
    message(FATAL_ERROR "SHA256SUMS: ${path} is missing")
  endif()
  file(SHA256 "${path}" hash)
  get_filename_component(name "${path}" NAME)
  string(APPEND sums "${hash}  ${name}\n")
endforeach()
file(WRITE "${OUT}.new" "${sums}")
file(RENAME "${OUT}.new" "${OUT}")
