// SPDX-License-Identifier: GPL-3.0-or-later
// The help texts. They are the tool's manual: a user who has never seen the program should be
// able to import a card and export a record from them alone.
#include "tools/cli/HelpTexts.h"

namespace vantrel::cli {

const std::string_view kMainHelp = R"(Usage: vantrel-cli [GLOBAL OPTIONS] COMMAND [ARGUMENTS]

Works with the driving data of Korvu digital tachographs without a window: imports a
recorder's SD card into the backup folder, lists, shows, exports (CSV) and deletes the
driving records kept there, and dumps raw recorder files. It uses the same settings as the
Vantrel program: the backup folder and the language of ~/.config/Halvik/Korvut/App.ini
(created with the defaults on first use), so both see the same records.

Commands:
  import-sd ROOT              import the SD card whose root folder (the one holding
                              dtacho/) is ROOT, such as /media/$USER/CARD
  import-usb                  download the new files of the recorder attached over
                              USB and import them
  list [--month YYYY/MM] [--vehicle V] [--device ID] [--json]
                              list the records, newest import first
  show RECORD.dat [--json]    a record's driving information and its days
  export RECORD.dat... [--out DIR]
                              write CSV files of records, one file per driving day
  delete RECORD.dat...        delete records with all their day files
  analyse RECORD.dat... [--profile CLASS] [--json|--csv]
                              dangerous-driving events and driving-time rule
                              violations of records, day by day
  summary [--month YYYY/MM] [--vehicle V] [--driver D] [--by KEY] [--json|--csv]
                              distance, driving time, events per 100 km and rule
                              violations over the backup folder
  vehicle-class [VEHICLE CLASS]
                              the vehicle classes (bus, truck, taxi, car) whose
                              thresholds the analysis uses; or set one
  dump FILE.dtc [--json]      header, day and record index and totals of a raw .dtc file
  format-device [--yes]       erase the recorder's eMMC storage over USB
  format-sd TARGET [--driver TEXT] [--route R] [--access A] [--yes] [--json]
                              initialise an SD card (a removable block device
                              or an image file) for the recorder
  render RECORD.dat [--day N] [ACTION...] --out DIR [--json]
                              draw a day's speed and distance graphs, graph
                              information and cursor readout as PNG files
  print RECORD.dat [--day N] [ACTION...] (--pdf FILE | --png FILE)
                              the printed page of a record (one A4 landscape
                              PDF page, or the 1270 x 900 page as PNG)
  help [COMMAND]              this text, or a command's own help

Global options (they go before the command):
  --backup DIR   use DIR as the backup folder instead of the one in App.ini
                 (default there: ~/Documents/Halvik/Korvut/dtacho/)
  --user NAME    the user name saved with imported records ("Save User Name");
                 without it records are saved as by a guest, with no name
  --lang CODE    language of the messages and titles: en, kr or jp (or a language
                 number of App.ini); default: the language of App.ini
  --demo         work in the demo instead: generated records of two recorders in a
                 folder of their own (~/.cache/vantrel-demo/, made on first use), an SD
                 card there (card/) and an emulated recorder for import-usb; the
                 real settings and backup folder are not touched
  -h, --help     show this help
  --version      show the version

A record is named by the path of its record summary file, which 'list' prints in its last
column, for example
  ~/Documents/Halvik/Korvut/dtacho/cda/20160316090000/20160315081200_VQ0A1B2C.dat
(the folder is the import's time, the name the record's start and the recorder's id).

Messages of the system go to standard output; errors, notes and the progress bar (shown only
when standard error is a terminal) to standard error.

Exit status: 0 success, 1 failure, 2 wrong usage.

Getting started, with a card mounted at /media/$USER/CARD:
  vantrel-cli import-sd /media/$USER/CARD
  vantrel-cli list
  vantrel-cli export <a path from the list> --out ~/csv

Run 'vantrel-cli COMMAND --help' for the details of a command.
)";

const std::string_view kAnalyseHelp =
    R"(Usage: vantrel-cli [GLOBAL OPTIONS] analyse RECORD.dat... [--profile CLASS] [--json|--csv]

Finds, day by day, the dangerous-driving events and the driving-time rule violations of the
records, from the half-second distance samples of their day files.

Events (each with its start, end and peak):
  speeding             faster than the profile's road limit plus its margin (peak km/h)
  long-speeding        one speeding run lasting the profile's time or longer; it is also
                       counted as speeding
  sudden-acceleration  speed rising by the threshold or more within one second, from the
                       profile's lowest speed or faster (peak km/h per second)
  sudden-start         the same from standstill (the profile's highest starting speed)
  sudden-deceleration  speed falling by the threshold or more within one second, to the
                       profile's lowest speed or faster (peak: the fall, km/h per second)
  sudden-stop          the same down to standstill
Lane changes, overtaking, turns and U-turns need the vehicle's heading or position, which the
recorder does not keep; they are never reported. Missing samples give no events, and an event
ends where samples are missing.

Rule violations: the continuous-driving rules of the profile file (by default "short", 2 h
of driving then at least 15 min of rest, and "eu", 4 h 30 min then a 45 min break, or 15
followed by 30 min) and "daily", the daily limit (9 h, 10 h on two days a week), each with its
span and the seconds over. Driving is moving; a standstill or a time without samples of at
least a rule's shortest break is a rest. The daily limit adds up the days of one driver over
all records given.

The thresholds come from Analysis.ini beside App.ini (~/.config/Halvik/Korvut/Analysis.ini,
written with the defaults and their sources on first use): one profile per vehicle class
(bus, truck, taxi, car), the class of each vehicle under [Vehicles], the default class
otherwise. A value that cannot be used falls back to its default with a note.

Options:
  --profile CLASS  analyse with the profile bus, truck, taxi or car, whatever the
                   vehicles' classes are
  --json           one line: {"records":[{"record":PATH,"days":[{"date":"YYYYMMDD",
                   "distanceKm":N,"drivingSeconds":N,"events":[{"kind":K,"start":T,
                   "end":T,"peak":N}],"violations":[{"rule":NAME,"start":T,"end":T,
                   "seconds":N}]}]}]}, times as "YYYY-MM-DD HH:MM:SS.mmm", the end
                   being the end of the last half-second
  --csv            one line per event or violation (a day without any has one line):
                   record,date,distanceKm,drivingSeconds,item,name,start,end,value
  -h, --help       show this help

Exit status: 0 success, 1 a record or one of its day files could not be read (the rest is
still analysed and printed), 2 wrong usage.

Example:
  vantrel-cli analyse ~/Documents/Halvik/Korvut/dtacho/cda/20160316090000/20160315081200_VQ0A1B2C.dat
)";

const std::string_view kSummaryHelp =
    R"(Usage: vantrel-cli [GLOBAL OPTIONS] summary [--month YYYY/MM] [--vehicle V] [--driver D] [--by KEY] [--json|--csv]

Analyses every record of the backup folder as 'analyse' does and sums the days: records,
days, distance, driving (moving) time, the events of each kind, all events, events per
100 km, and the violations of each rule with the seconds over in all.

Options:
  --month YYYY/MM  only the driving days of that month (the driving date counts)
  --vehicle V      only the records of vehicle number V
  --driver D       only the records of driver D
  --by KEY         one row per record (the default), day, driver, vehicle or month
  --profile CLASS  analyse every record with the profile bus, truck, taxi or car
  --json           {"by":KEY,"rows":[{"key":K,"records":N,"days":N,"distanceKm":N,
                   "drivingSeconds":N,"events":{KIND:N,...},"eventCount":N,
                   "eventsPer100Km":N,"violations":{RULE:N,...},"violationSeconds":N}],
                   "total":{the same without key}}
  --csv            the rows with a heading line
  -h, --help       show this help

The daily limit is checked over all records before the filters apply, so a driver's days in
other vehicles still count.

Exit status: 0 success, 1 a day file could not be read (the rest is summed), 2 wrong usage.

Examples:
  vantrel-cli summary --by driver
  vantrel-cli --demo summary --month 2015/03 --by vehicle
)";

const std::string_view kVehicleClassHelp =
    R"(Usage: vantrel-cli [GLOBAL OPTIONS] vehicle-class [VEHICLE CLASS]

Without arguments, lists the vehicle numbers of the backup folder's records with the class
whose thresholds 'analyse' and 'summary' use for them: the class stored for the vehicle in
Analysis.ini ([Vehicles]), else the default class ([General] DefaultClass, truck unless
changed). With a vehicle number and a class (bus, truck, taxi or car), stores that class for
the vehicle in Analysis.ini; the file's other lines stay as they are.

Options:
  -h, --help   show this help

Exit status: 0 success, 1 Analysis.ini could not be written, 2 wrong usage.

Example:
  vantrel-cli vehicle-class "서울 34나 7812" bus
)";

const std::string_view kImportSdHelp = R"(Usage: vantrel-cli [GLOBAL OPTIONS] import-sd ROOT

Imports a recorder's SD card, as "Read SD Card" of the program does. ROOT is the card's root
folder, the one that holds the folder dtacho/ (the recorder keeps its .dtc files in
subfolders of dtacho/, one per month, and its event log in log/system.log). Insert the card
in a card reader; the desktop usually mounts it at /media/$USER/<label>.

What happens:
  1. The card's .dtc files newer than the recorder's last import are found (the marker
     <backup>/<recorder id>/LastTime.ini; a file still open at the last import is fetched
     again).
  2. They are copied into <backup>/<recorder id>/dtc/<YYYYMM>/ and each copy is checked.
  3. The copies are converted into records in a new import folder <backup>/cda/<time>/,
     with the clock adjustments of the card's log/system.log.
  4. On the card, every file that the backup folder now holds an identical copy of is
     deleted, with the folders that became empty. Any other file stays on the card, and
     the tool names it.
  5. "SD Card reading has been complete" (in the chosen language) is printed.

Files that cannot be read (damaged or empty .dtc files) are left out and stay on the card;
the rest is imported and the tool lists the files left out.

Options:
  -h, --help   show this help

The records are saved with the name of --user (see 'vantrel-cli --help').

Exit status:
  0  the card was imported, or it held nothing new (a note says so on standard error)
  1  ROOT holds no dtacho folder, a file was left out (unreadable, or its copy into the
     backup folder failed), or nothing could be imported
  2  wrong usage

Example:
  vantrel-cli --user kim import-sd /media/kim/CARD
)";

const std::string_view kListHelp =
    R"(Usage: vantrel-cli [GLOBAL OPTIONS] list [--month YYYY/MM] [--vehicle V] [--device ID] [--json]

Lists the records of the backup folder, one line each, newest import first, as the record
list of the program shows them: save time, recorder id, driver, vehicle, record start and
stop, distance, driving time, maximum speed, read type (SD or USB) and the record's path
(the RECORD.dat to give to show, export and delete).

Filters (letter case does not matter; all given filters must match):
  --month YYYY/MM   records saved (imported) in that month, such as 2016/03; the save
                    time counts, not the driving date
  --vehicle V       records of vehicle number V; --vehicle "" lists records without one
  --device ID       records of the recorder ID, such as VQ0A1B2C; --device "" lists
                    records without one

Options:
  --json       print a JSON array instead, one object per record with every column of
               the record list (saveUserName, saveTime, drId, driverName, vehicleNo,
               recordStart, recordStop, drivingDistance, drivingTime,
               maxContinueDrivingTime, maxSpeed, maxSpeedTime, drivingArea, adjustTime,
               readType, record)
  -h, --help   show this help

Exit status: 0 (also when no record matches), 1 failure, 2 wrong usage.

Examples:
  vantrel-cli list --month 2016/03 --device VQ0A1B2C
  vantrel-cli list --json
)";

const std::string_view kShowHelp = R"(Usage: vantrel-cli [GLOBAL OPTIONS] show RECORD.dat [--json]

Shows a record's driving information as the program's driving information panel does
(vehicle number, recorder id, driver, who saved it and when, record start and stop,
distance, driving time, longest continuous driving, maximum speed and its time, driving
area, clock adjustment, read type) and then a table of its days: date, distance, driving
time, maximum speed and its time, the starts of drives after a standstill of ten minutes or
more, and the recorder's clock adjustments of that day.

RECORD.dat is the path of a record summary file, as 'vantrel-cli list' prints it.

Options:
  --json       print one JSON object with the values as stored (time stamps
               YYYYMMDDhhmmss, durations in half-seconds and as text) and an array "days"
  -h, --help   show this help

Exit status: 0 success, 1 the file is not a record, 2 wrong usage.
)";

const std::string_view kExportHelp =
    R"(Usage: vantrel-cli [GLOBAL OPTIONS] export RECORD.dat... [--out DIR]

Exports records to CSV files, exactly as the program's "Export to CSV" writes them: one
file per record and driving day, named <record name>_<YYYYMMDD>.csv, such as
20160315081200_VQ0A1B2C_20160315.csv. Each file begins with four lines of the day's summary
(date, distance, driving time, maximum speed and its time) and an empty line, followed by
one line for every half-second the recorder measured:
  , 2016.03.15, 08:30:12.500, 57
(an empty first field, the date, the time, and the centimetres covered in that
half-second). Lines end in CR LF. An existing file of the same name is replaced.

RECORD.dat is the path of a record summary file, as 'vantrel-cli list' prints it; give
several to export them one after another.

Options:
  --out DIR    the folder for the files (created when missing); default: the export
               folder of App.ini (~/Documents/Halvik/Korvut/export/)
  -h, --help   show this help

The paths of the files written are printed, then the result ("The export was completed").
A day whose day file is missing is skipped. Ctrl-C stops after the day being written.

Exit status:
  0  the export was completed
  1  a record was not found, a day could not be read, a file could not be written (a file
     left incomplete is removed), or the export was interrupted
  2  wrong usage

Example:
  vantrel-cli export ~/Documents/Halvik/Korvut/dtacho/cda/20160316090000/20160315081200_VQ0A1B2C.dat --out ~/csv
)";

const std::string_view kDeleteHelp = R"(Usage: vantrel-cli [GLOBAL OPTIONS] delete RECORD.dat...

Deletes records from the backup folder, as "Delete Selected Data" of the record list does:
the record summary file and the record's day files (<name>_<YYYYMMDD>.cda and .dat) in its
import folder, then the import folder itself once it holds nothing more. Other files are
never touched, and the copies of the recorder's raw .dtc files stay in the backup folder.
There is no question and no undo.

RECORD.dat is the path of a record summary file below the backup folder's cda/ folder, as
'vantrel-cli list' prints it. All records are checked before anything is deleted.

Options:
  -h, --help   show this help

Exit status: 0 every record was deleted, 1 a record was not found or a file could not be
deleted, 2 wrong usage.
)";

const std::string_view kDumpHelp = R"(Usage: vantrel-cli dump FILE.dtc [--json]

Decodes one raw recorder file (.dtc, as found in dtacho/ on the SD card or in the backup
folder's dtc/ and usbdtc/ folders) and prints its header (recorder id, vehicle number,
driver, time-zone offset, file start, record start and record stamp, as device time and as
local time), its day and record index (a file read alone is day 0 of record 0), its start
and end time and whether it was closed normally, and its totals: samples (driving time),
distance, maximum speed with its time, longest continuous run, last sample and whether it
ends standing still for ten minutes or more.

Nothing is written; the backup folder and the settings are not used.

Options:
  --json       print one JSON object with the raw values
  -h, --help   show this help

Exit status: 0 success, 1 the file cannot be read or is not a .dtc file, 2 wrong usage.
)";

const std::string_view kFormatSdHelp =
    R"(Usage: vantrel-cli format-sd TARGET [--driver TEXT] [--route auto|command|raw]
                                 [--access auto|direct|udisks] [--yes] [--json]

Initialises an SD card for the recorder: a FAT32 file system with 32 KiB clusters and the
volume label AVFILE3, the folders media, driving, log and dvr_config, and, when --driver is
given, dvr_config/driverid.ini holding the driver's name or id (UTF-8, no line end).
EVERYTHING ON THE CARD IS ERASED.

TARGET is the card's block device (the whole card, such as /dev/sdb or /dev/mmcblk0, or a
partition of it) or an image file, whose size is the card's size. A block device must be
removable and hold no system folder; its mounts are unmounted first and it is then opened
exclusively. Cards below 3000 MiB are refused.

Options:
  --driver TEXT   the driver's name or id written to dvr_config/driverid.ini
  --route R       how to format: auto (default) runs mkfs.fat up to 56,300 MiB and the
                  program's own FAT32 writer above; command or raw forces one
  --access A      how to reach the device: auto (default) opens it directly when the
                  user may write it (root, the disk group) and asks the desktop's disk
                  service (udisks2, which asks polkit) otherwise; direct or udisks
                  forces one
  --yes           do not ask before erasing the card
  --json          print one JSON object with the result on standard output:
                  route, sizeMiB, fat, clusterBytes, label, prepared
  -h, --help      show this help

The question before erasing, and every note and error, goes to standard error; it is
answered with y or yes on standard input. Needs dosfstools (mkfs.fat) and mtools (mmd,
mcopy). Formatting a device needs the right to write it (root, or a member of the disk
group) or, for the user at the machine, udisks2: it unmounts and opens the card after
polkit asks, and the file system is then made in a temporary image and copied onto the
card. VANTREL_TRACE=1 shows why the FAT32 writer failed.

Exit status: 0 when the card was formatted and prepared, 1 when it was refused, not
confirmed, or the format or the preparation failed, 2 wrong usage.
)";

}  // namespace vantrel::cli
