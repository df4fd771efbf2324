-- Registry values under a test key of HKEY_CURRENT_USER (T.key), prepared and checked by the test.
local root, key = HKEY_CURRENT_USER, T.key

regWriteString(root, key, "name", "Pelora 直播")
T.eq(regQueryString(root, key, "name"), "Pelora 直播", "string round trip")
regWriteString(root, key, "", "default text")
T.eq(regQueryString(root, key, ""), "default text", "the empty name is the default value")
regWriteString(root, key .. "\\deep\\er", "v", "created")
T.eq(regQueryString(root, key .. "\\deep\\er", "v"), "created", "regWriteString creates missing keys")

regWriteInteger(root, key, "count", 42)
T.eq(regQueryInteger(root, key, "count"), 42, "integer round trip")
regWriteInteger(root, key, "wrapped", 4294967296 + 5)
T.eq(regQueryInteger(root, key, "wrapped"), 5, "only the low 32 bits are written")
regWriteInteger(root, key, "negative", -1)
T.eq(regQueryInteger(root, key, "negative"), 4294967295, "read back unsigned")

-- the test prepared these values with other types and lengths
T.eq(regQueryString(root, key, "chars129"), string.rep("a", 129), "129 characters fit")
T.eq(select("#", regQueryString(root, key, "chars130")), 0, "130 characters yield nothing")
T.eq(select("#", regQueryString(root, key, "expand")), 0, "REG_EXPAND_SZ yields nothing")
T.eq(select("#", regQueryString(root, key, "multi")), 0, "REG_MULTI_SZ yields nothing")
T.eq(select("#", regQueryString(root, key, "count")), 0, "a REG_DWORD is not a string")
T.eq(select("#", regQueryInteger(root, key, "name")), 0, "a REG_SZ is not an integer")
T.eq(select("#", regQueryInteger(root, key, "qword")), 0, "a REG_QWORD is not an integer")
T.eq(regQueryString(root, key, "unterminated"), "abc", "data without a terminator")
T.eq(select("#", regQueryString(root, key, "absent")), 0, "missing value")
T.eq(select("#", regQueryString(root, key .. "\\absent", "name")), 0, "missing key")
T.eq(select("#", regQueryInteger(root, key .. "\\absent", "count")), 0, "missing key, integer")

T.eq(select("#", regDeleteValue(root, key, "count")), 0, "regDeleteValue yields nothing")
T.eq(regQueryInteger(root, key, "count"), nil, "value deleted")
regDeleteValue(root, key .. "\\absent", "count")   -- silent

regDeleteSubKey(root, "")         -- never the root itself
regDeleteSubKey(root)
T.eq(regQueryString(root, key, "name"), "Pelora 直播", "an empty sub-key deletes nothing")
T.eq(select("#", regDeleteSubKey(root, key .. "\\deep")), 0, "regDeleteSubKey yields nothing")
T.eq(regQueryString(root, key .. "\\deep\\er", "v"), nil, "sub-key deleted with its children")
T.eq(regQueryString(root, key, "name"), "Pelora 直播", "the parent stays")

-- a root that is no predefined key fails silently
T.eq(regQueryString(12345, key, "name"), nil, "bad root")
regWriteString(12345, key, "x", "y")
