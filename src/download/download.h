#pragma once

// Downloads the log: asks for the logging period, receives the readings, gives each a
// time within the period and saves them to ./data.csv.
void download();
