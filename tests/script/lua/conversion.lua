-- Argument conversion: numbers as strings, missing or odd strings as "", non-numbers as 0.
local root, key = HKEY_CURRENT_USER, T.key

regWriteString(root, key, 42, 3.5)
T.eq(regQueryString(root, key, "42"), "3.5", "numbers become their text")
regWriteString(root, key, nil, "missing name")
T.eq(regQueryString(root, key, ""), "missing name", "a missing name is the empty name")
regWriteString(root, key, "fromTable", {})
T.eq(regQueryString(root, key, "fromTable"), "", "a table value is the empty string")
regWriteString(root, key, "fromBool", true)
T.eq(regQueryString(root, key, "fromBool"), "", "a boolean value is the empty string")
regWriteString(root, key, "embedded", "ab\0cd")
T.eq(regQueryString(root, key, "embedded"), "ab", "strings end at their first NUL")

regWriteInteger(root, key, "numericString", "12")
T.eq(regQueryInteger(root, key, "numericString"), 12, "a numeric string converts")
regWriteInteger(root, key, "word", "twelve")
T.eq(regQueryInteger(root, key, "word"), 0, "a non-number is 0")
regWriteInteger(root, key, "nothing")
T.eq(regQueryInteger(root, key, "nothing"), 0, "a missing integer is 0")
regWriteInteger(root, key, "fraction", 7.9)
T.eq(regQueryInteger(root, key, "fraction"), 7, "fractions are cut")
regWriteInteger(root, key, "nan", 0/0)
T.eq(regQueryInteger(root, key, "nan"), 0, "NaN is 0")
regWriteInteger(root, key, "huge", 1e300)
T.eq(regQueryInteger(root, key, "huge"), 4294967295, "beyond the range saturates")

-- roots given as strings convert like any integer
T.eq(regQueryString(tostring(HKEY_CURRENT_USER), key, "42"), "3.5", "root as numeric string")
T.eq(regQueryString("HKCU", key, "42"), nil, "a non-number root is 0, no key")

-- numbers as path arguments
T.eq(fileExists(12345), false, "a number path")
T.eq(fileExists(), false, "a missing path")
