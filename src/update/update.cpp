// The version check arrives here.
