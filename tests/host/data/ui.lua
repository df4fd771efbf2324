local f = assert(io.open(os.getenv("ORVO_TEST_OUT"), "w"))
f:write("ran from resources")
f:close()
