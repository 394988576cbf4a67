// The Ethernet module management arrives here.
