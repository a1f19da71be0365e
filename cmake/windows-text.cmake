# ruvento_write_windows_text(FILE TEXT): writes TEXT into FILE with Windows
# line ends (CRLF), whatever ends its lines had, so that Notepad shows them.
# Used for every text a Windows program folder ships beside the program: by
# the build (packaging/windows-licenses.cmake) and by the notice written
# once beside Qt for Windows (scripts/qt-notice.cmake).
function(ruvento_write_windows_text file text)
    string(REPLACE "\r\n" "\n" text "${text}")
    string(REPLACE "\n" "\r\n" text "${text}")
    file(WRITE "${file}" "${text}")
endfunction()
