-- Pictures, a slide show and a browser without its engine in a real window; the driver samples
-- the screen while the commands start and stop the show.
w = createWindow("media.xml")
w:setTitle("Orvo media test")
w:setPosition(60, 60)
show = w:getChild(2)
log("show", show:getName(), w:getChild(1):getName(), w:getChild(3):getName())
commandTimer = serveCommands(w)
log("result", w:showDialog())
waitForFinish()
