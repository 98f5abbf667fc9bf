// Lapsed due dates.
