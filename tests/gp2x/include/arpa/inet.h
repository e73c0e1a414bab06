/* For GoogleTest on the GP2X build only (see netdb.h): nothing it needs is here. */
