-- Message boxes through the system's seam, the mutex slot, the restart marker.
T.eq(showMessageBox("文本", "标题", 0x24), 1, "the pressed button's id")
T.eq(showMessageBox(), 1, "a box without text")
T.eq(select("#", releaseMutex()), 0, "releaseMutex yields nothing")
releaseMutex()
T.eq(select("#", markRestart()), 0, "markRestart yields nothing")
T.eq(type(isVista()), "boolean", "isVista")
T.eq(type(isWin8()), "boolean", "isWin8")
