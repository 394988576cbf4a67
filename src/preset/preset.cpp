// The preset document arrives here.
