-- Folders: chains with either separator, trees with read-only files, emptiness, drives.
local d = T.dir
local function write(path, text)
    local f = assert(io.open(path, "wb")); f:write(text); f:close()
end

T.eq(createDirectory(d .. "one/two\\three"), true, "createDirectory of a chain")
T.eq(directoryEmpty(d .. "one\\two\\three"), true, "the new folder is empty")
T.eq(directoryEmpty(d .. "one"), false, "a folder with a sub-folder is not empty")
T.eq(createDirectory(d .. "one/two\\three"), true, "a folder that exists already is there afterwards")
T.eq(createDirectory(T.freeDrive .. "no\\such\\drive"), false, "createDirectory on a missing drive yields false")
write(d .. "blocker", "a file where a folder should go")
T.eq(createDirectory(d .. "blocker\\below"), false, "a file in the way leaves no folder")
T.eq(directoryEmpty(d .. "never"), true, "a missing folder counts as empty")

write(d .. "file.txt", "x")
T.eq(directoryEmpty(d .. "file.txt"), false, "a plain file is not an empty folder")

write(d .. "one\\two\\ro.txt", "x")
T.setReadOnly(d .. "one\\two\\ro.txt")
T.setReadOnly(d .. "one\\two\\three")
T.eq(select("#", removeDirectory(d .. "one/")), 0, "removeDirectory yields nothing")
T.eq(directoryEmpty(d .. "one"), true, "the whole tree is gone, read-only entries included")
T.eq(fileExists(d .. "file.txt"), true, "siblings of the tree stay")

-- an empty folder name must not reach the drive root
removeDirectory("")
removeDirectory()
T.eq(fileExists(d .. "file.txt"), true, "removeDirectory of nothing removes nothing")

T.eq(volumeExists("C:\\"), true, "C: is a fixed drive")
T.eq(volumeExists(T.freeDrive), false, "an unassigned drive letter")

setCurrentDirectory(d)
write("relative.txt", "here")
T.eq(fileExists(d .. "relative.txt"), true, "setCurrentDirectory moved the current folder")
T.eq(select("#", setCurrentDirectory(d .. "missing")), 0, "setCurrentDirectory yields nothing")
