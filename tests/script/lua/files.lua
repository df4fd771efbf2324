-- Files: deletion of read-only files, moves and copies that replace, existence tests.
local function write(path, text)
    local f = assert(io.open(path, "wb")); f:write(text); f:close()
end
local function read(path)
    local f = io.open(path, "rb"); if not f then return nil end
    local text = f:read("*a"); f:close(); return text
end
local d = T.dir

write(d .. "ro.txt", "x")
T.setReadOnly(d .. "ro.txt")
T.eq(removeFile(d .. "ro.txt"), true, "removeFile of a read-only file")
T.eq(fileExists(d .. "ro.txt"), false, "read-only file is gone")
T.eq(removeFile(d .. "ro.txt"), false, "removeFile of a missing file")

write(d .. "a.txt", "first"); write(d .. "b.txt", "second")
T.eq(copyFile(d .. "a.txt", d .. "b.txt"), true, "copyFile over an existing file")
T.eq(read(d .. "b.txt"), "first", "copy replaced the destination")
T.eq(copyFile(d .. "missing.txt", d .. "c.txt"), false, "copyFile of a missing source")

write(d .. "m.txt", "moved")
T.eq(moveFile(d .. "m.txt", d .. "b.txt"), true, "moveFile over an existing file")
T.eq(read(d .. "b.txt"), "moved", "move replaced the destination")
T.eq(fileExists(d .. "m.txt"), false, "move removed the source")
T.eq(moveFile(d .. "m.txt", d .. "n.txt"), false, "moveFile of a missing source")

T.eq(fileExists(d .. "b.txt"), true, "fileExists of a file")
T.eq(fileExists(d), false, "a folder is not a file")
T.eq(fileExists(d .. "nothing"), false, "fileExists of a missing path")
