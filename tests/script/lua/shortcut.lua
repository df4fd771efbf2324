-- A shortcut to the helper program, read back by the test.
T.eq(createShortCut(T.helper, T.dir .. "helper.lnk"), true, "createShortCut")
T.eq(createShortCut(T.helper, T.dir .. "missing\\folder\\x.lnk"), false, "createShortCut into a missing folder")
