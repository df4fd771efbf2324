-- reboot through the test's replacement of the platform calls.
T.eq(select("#", reboot()), 0, "reboot yields nothing")
