// The model catalogue and library files arrive here.
