// Lets a layer be a library while its folder is still empty.
