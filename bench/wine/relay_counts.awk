# Counts the system calls one module makes, pass by pass, from Wine's relay log
# (WINEDEBUG=+relay). A call is the module's when it returns into the module's image; a pass
# ends where the module's EnumWindows returns, so the calls made between two passes (the
# switch's hooks, reading the settings) count with the pass after them.
#
#   awk -v module=Lumivane.dll -v size=IMAGESIZE -f relay_counts.awk relay.log
#
# module: the file name the module was loaded under with LoadLibraryA; size: its
# SizeOfImage in hex. Prints "pass N FUNCTION CALLS" for each pass and function, passes
# numbered from 1 in the order they ran.
function number(hex,    i, n) {
    hex = tolower(hex)
    n = 0
    for (i = 1; i <= length(hex); ++i)
        n = n * 16 + index("0123456789abcdef", substr(hex, i, 1)) - 1
    return n
}
# The address a call returns to: the "ret=" field at the end of the line.
function return_address(line) {
    sub(/.* ret=/, "", line)
    return number(line)
}
# "user32.IsWindow" of "0024:Call user32.IsWindow(00050068) ret=...", without the DLL.
function function_name(line) {
    sub(/^[0-9a-f]+:(Call|Ret) +/, "", line)
    sub(/\(.*/, "", line)
    sub(/^[^.]*\./, "", line)
    return line
}
BEGIN {
    base = -1
    pass = 1
    image_size = number(size)
    wanted = "\\\\" tolower(module) "\")"
}
# The module's load: the LoadLibraryA that named it, and the handle its return gave.
base < 0 && / KERNEL32\.LoadLibraryA\(/ && index(tolower($0), wanted) {
    loader = return_address($0)
    next
}
base < 0 && loader != "" && /:Ret  KERNEL32\.LoadLibraryA\(\)/ && return_address($0) == loader {
    line = $0
    sub(/.* retval=/, "", line)
    sub(/ .*/, "", line)
    base = number(line)
    next
}
base < 0 { next }
/^[0-9a-f]+:(Call|Ret) / {
    address = return_address($0)
    if (address < base || address >= base + image_size)
        next
    name = function_name($0)
    if ($0 ~ /^[0-9a-f]+:Call /) {
        calls[pass, name]++
        names[name] = 1
    } else if (name == "EnumWindows") {
        ++pass
    }
}
END {
    for (p = 1; p < pass; ++p)
        for (name in names)
            if ((p, name) in calls)
                print "pass", p, name, calls[p, name]
}
