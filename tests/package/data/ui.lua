-- resource text
return 1
