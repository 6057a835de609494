// Replaced by the X-file reader.
