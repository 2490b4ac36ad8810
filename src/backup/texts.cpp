#include "texts.h"

#include <array>

namespace backup {

namespace {

using Row = std::array<const char*, 5>;  // Danish, English, Norwegian, Swedish, German

const Row& row(Text which) {
    static const Row rows[] = {
        // BackupSaved
        {"Sikkerhedskopien er gemt i:\n\r%1", "The backup has been saved in:\n\r%1",
         "Sikkerhetskopien er lagret i:\n\r%1", "Säkerhetskopian har sparats i:\n\r%1",
         "Die Sicherung wurde gespeichert in:\n\r%1"},
        // BackupFailed
        {"Sikkerhedskopien kunne ikke laves:\n\r%1", "The backup could not be made:\n\r%1",
         "Sikkerhetskopien kunne ikke lages:\n\r%1", "Säkerhetskopian kunde inte göras:\n\r%1",
         "Die Sicherung konnte nicht erstellt werden:\n\r%1"},
        // RestoreConfirm
        {"Alle data og billeder erstattes af sikkerhedskopien %1.\n\rDe nuværende data gemmes "
         "først som en sikkerhedskopi i %2.\n\rVil du fortsætte?",
         "All data and pictures will be replaced by the backup %1.\n\rThe current data are "
         "first saved as a backup in %2.\n\rDo you want to continue?",
         "Alle data og bilder erstattes av sikkerhetskopien %1.\n\rDe nåværende dataene lagres "
         "først som en sikkerhetskopi i %2.\n\rVil du fortsette?",
         "Alla data och bilder ersätts av säkerhetskopian %1.\n\rNuvarande data sparas först "
         "som en säkerhetskopia i %2.\n\rVill du fortsätta?",
         "Alle Daten und Bilder werden durch die Sicherung %1 ersetzt.\n\rDie jetzigen Daten "
         "werden zuerst als Sicherung in %2 gespeichert.\n\rMöchten Sie fortfahren?"},
        // RestoreDone
        {"Sikkerhedskopien er gendannet.\n\rDe tidligere data er gemt i:\n\r%1",
         "The backup has been restored.\n\rThe previous data have been saved in:\n\r%1",
         "Sikkerhetskopien er gjenopprettet.\n\rDe tidligere dataene er lagret i:\n\r%1",
         "Säkerhetskopian har återställts.\n\rTidigare data har sparats i:\n\r%1",
         "Die Sicherung wurde wiederhergestellt.\n\rDie bisherigen Daten wurden gespeichert "
         "in:\n\r%1"},
        // RestoreFailed
        {"Sikkerhedskopien kunne ikke gendannes:\n\r%1", "The backup could not be restored:\n\r%1",
         "Sikkerhetskopien kunne ikke gjenopprettes:\n\r%1",
         "Säkerhetskopian kunde inte återställas:\n\r%1",
         "Die Sicherung konnte nicht wiederhergestellt werden:\n\r%1"},
        // NotOurs
        {"Filen %1 er ikke en sikkerhedskopi fra Verdamo.",
         "The file %1 is not a backup made by Verdamo.",
         "Filen %1 er ikke en sikkerhetskopi fra Verdamo.",
         "Filen %1 är inte en säkerhetskopia från Verdamo.",
         "Die Datei %1 ist keine Sicherung von Verdamo."},
        // Damaged
        {"Sikkerhedskopien %1 er beskadiget eller ufuldstændig.",
         "The backup %1 is damaged or incomplete.",
         "Sikkerhetskopien %1 er skadet eller ufullstendig.",
         "Säkerhetskopian %1 är skadad eller ofullständig.",
         "Die Sicherung %1 ist beschädigt oder unvollständig."},
        // MissingTable
        {"Tabellen %1 mangler.", "The table %1 is missing.", "Tabellen %1 mangler.",
         "Tabellen %1 saknas.", "Die Tabelle %1 fehlt."},
        // MissingField
        {"Feltet %1 mangler i tabellen %2.", "The field %1 is missing in the table %2.",
         "Feltet %1 mangler i tabellen %2.", "Fältet %1 saknas i tabellen %2.",
         "Das Feld %1 fehlt in der Tabelle %2."},
        // WrongType
        {"Feltet %1 i tabellen %2 har en forkert type.",
         "The field %1 in the table %2 has the wrong type.",
         "Feltet %1 i tabellen %2 har feil type.", "Fältet %1 i tabellen %2 har fel typ.",
         "Das Feld %1 in der Tabelle %2 hat einen falschen Typ."},
        // NothingChanged
        {"Intet er ændret.", "Nothing has been changed.", "Ingenting er endret.",
         "Ingenting har ändrats.", "Es wurde nichts geändert."},
        // CsvRegional
        {"Skal filerne bruge de regionale skilletegn (\"%1\" mellem felterne og \"%2\" som "
         "decimaltegn), så et regneark åbner dem direkte?\n\rVælg Nej for komma og punktum.",
         "Should the files use the regional separators (\"%1\" between fields and \"%2\" as "
         "decimal "
         "point), so that a spreadsheet opens them directly?\n\rChoose No for comma and point.",
         "Skal filene bruke de regionale skilletegnene (\"%1\" mellom feltene og \"%2\" som "
         "desimaltegn), slik at et regneark åpner dem direkte?\n\rVelg Nei for komma og punktum.",
         "Ska filerna använda de regionala avgränsarna (\"%1\" mellan fälten och \"%2\" som "
         "decimaltecken), så att ett kalkylblad öppnar dem direkt?\n\rVälj Nej för komma och "
         "punkt.",
         "Sollen die Dateien die regionalen Trennzeichen verwenden (\"%1\" zwischen den Feldern "
         "und \"%2\" als Dezimalzeichen), damit eine Tabellenkalkulation sie direkt öffnet?\n\r"
         "Wählen Sie Nein für Komma und Punkt."},
        // CsvDone
        {"Der er eksporteret %1 planter, %2 haveanlæg med %3 materialer og %4 navne til "
         "mappen:\n\r%5",
         "Exported %1 plants, %2 garden works with %3 materials and %4 names to the "
         "folder:\n\r%5",
         "Det er eksportert %1 planter, %2 hageanlegg med %3 materialer og %4 navn til "
         "mappen:\n\r%5",
         "%1 växter, %2 trädgårdsanläggningar med %3 material och %4 namn har exporterats "
         "till mappen:\n\r%5",
         "Es wurden %1 Pflanzen, %2 Gartenanlagen mit %3 Materialien und %4 Namen in den "
         "Ordner exportiert:\n\r%5"},
        // CsvFailed
        {"Eksporten kunne ikke gennemføres:\n\r%1", "The export could not be completed:\n\r%1",
         "Eksporten kunne ikke fullføres:\n\r%1", "Exporten kunde inte slutföras:\n\r%1",
         "Der Export konnte nicht abgeschlossen werden:\n\r%1"},
        // ImportConfirm
        {"Programmet har allerede data. De erstattes af de gamle data fra %1.\n\rDe nuværende "
         "data gemmes først som en sikkerhedskopi.\n\rVil du fortsætte?",
         "The program already holds data. They will be replaced by the old data from "
         "%1.\n\rThe current data are first saved as a backup.\n\rDo you want to continue?",
         "Programmet har allerede data. De erstattes av de gamle dataene fra %1.\n\rDe "
         "nåværende dataene lagres først som en sikkerhetskopi.\n\rVil du fortsette?",
         "Programmet har redan data. De ersätts av gamla data från %1.\n\rNuvarande data sparas "
         "först som en säkerhetskopia.\n\rVill du fortsätta?",
         "Das Programm enthält bereits Daten. Sie werden durch die alten Daten aus %1 "
         "ersetzt.\n\rDie jetzigen Daten werden zuerst als Sicherung gespeichert.\n\rMöchten "
         "Sie fortfahren?"},
        // ImportMissingTable
        {"Tabellen %1 findes ikke i mappen.", "The table %1 is not in the folder.",
         "Tabellen %1 finnes ikke i mappen.", "Tabellen %1 finns inte i mappen.",
         "Die Tabelle %1 ist nicht im Ordner."},
        // ImportUnreadable
        {"Filen %1 kan ikke læses: %2", "The file %1 cannot be read: %2",
         "Filen %1 kan ikke leses: %2", "Filen %1 kan inte läsas: %2",
         "Die Datei %1 kann nicht gelesen werden: %2"},
        // ImportUnknownField
        {"Feltet %1 i %2 kendes ikke af programmet.",
         "The field %1 in %2 is unknown to the "
         "program.",
         "Feltet %1 i %2 er ukjent for programmet.", "Fältet %1 i %2 är okänt för programmet.",
         "Das Feld %1 in %2 ist dem Programm unbekannt."},
        // ImportBadValue
        {"Feltet %1 i %2 har en værdi, der ikke kan overføres: %3",
         "The field %1 in %2 has a value that cannot be brought across: %3",
         "Feltet %1 i %2 har en verdi som ikke kan overføres: %3",
         "Fältet %1 i %2 har ett värde som inte kan överföras: %3",
         "Das Feld %1 in %2 hat einen Wert, der nicht übernommen werden kann: %3"},
        // ImportNothing
        {"Der er ikke importeret noget; dine data er uændrede.",
         "Nothing has been imported; your data are unchanged.",
         "Ingenting er importert; dataene dine er uendret.",
         "Ingenting har importerats; dina data är oförändrade.",
         "Es wurde nichts importiert; Ihre Daten sind unverändert."},
        // ImportDone
        {"De gamle data er importeret:", "The old data have been imported:",
         "De gamle dataene er importert:", "Gamla data har importerats:",
         "Die alten Daten wurden importiert:"},
        // ImportRows
        {"%1: %2 rækker", "%1: %2 rows", "%1: %2 rader", "%1: %2 rader", "%1: %2 Zeilen"},
        // ImportPictures
        {"Billeder: %1 filer", "Pictures: %1 files", "Bilder: %1 filer", "Bilder: %1 filer",
         "Bilder: %1 Dateien"},
        // ImportSafetyCopy
        {"De tidligere data er gemt i: %1", "The previous data have been saved in: %1",
         "De tidligere dataene er lagret i: %1", "Tidigare data har sparats i: %1",
         "Die bisherigen Daten wurden gespeichert in: %1"},
        // ReaderStopped
        {"læsningen af %1 stoppede uventet", "the reading of %1 stopped unexpectedly",
         "lesingen av %1 stoppet uventet", "läsningen av %1 avbröts oväntat",
         "das Lesen von %1 brach unerwartet ab"},
    };
    return rows[int(which)];
}

}  // namespace

QString text(Text which, int language) {
    const int i = (language >= -1 && language <= 3) ? language + 1 : 0;
    return QString::fromUtf8(row(which)[i]);
}

}  // namespace backup
