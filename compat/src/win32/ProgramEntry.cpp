// Placeholder until the program entry lands.
