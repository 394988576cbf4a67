// The simulated unit arrives here.
