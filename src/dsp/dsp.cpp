// The designers arrive here.
