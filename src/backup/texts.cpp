// SPDX-License-Identifier: GPL-3.0-or-later
#include "texts.h"

#include "i18n/texts.h"

namespace backup {

namespace {

struct Entry {
    const char16_t* key;
    const char* danish;
};

const Entry& entry(Text which) {
    static const Entry entries[] = {
        {u"BackupSaved", "Sikkerhedskopien er gemt i:\n\r%1"},
        {u"BackupFailed", "Sikkerhedskopien kunne ikke laves:\n\r%1"},
        {u"RestoreConfirm",
         "Alle data og billeder erstattes af sikkerhedskopien %1.\n\rDe nuværende data gemmes "
         "først som en sikkerhedskopi i %2.\n\rVil du fortsætte?"},
        {u"RestoreConfirmDamaged",
         "Databasen er beskadiget. Alle data og billeder erstattes af sikkerhedskopien %1.\n\rDe "
         "beskadigede filer og de nuværende billeder flyttes uændret til %2.\n\rVil du fortsætte?"},
        {u"RestoreDone", "Sikkerhedskopien er gendannet.\n\rDe tidligere data er gemt i:\n\r%1"},
        {u"RestartNeeded",
         "Programmet kunne ikke åbne de tidligere data. Luk det, og start det igen for at se de "
         "gendannede data."},
        {u"RestoreFailed", "Sikkerhedskopien kunne ikke gendannes:\n\r%1"},
        {u"NotOurs", "Filen %1 er ikke en sikkerhedskopi fra Verdamo."},
        {u"Damaged", "Sikkerhedskopien %1 er beskadiget eller ufuldstændig."},
        {u"NewerFormat",
         "Sikkerhedskopien %1 er lavet af en nyere udgave af Verdamo (format %2).\n\rOpdatér "
         "programmet for at gendanne den."},
        {u"EntryTooLarge",
         "Sikkerhedskopien %1 indeholder filen %2 på %3 MB. Det er mere end noget billede, "
         "programmet viser (højst %4 MB), så sikkerhedskopien pakkes ikke ud."},
        {u"NotEnoughRoom",
         "Der er ikke plads til at pakke sikkerhedskopien %1 ud: den fylder %2 MB, og der er kun "
         "%3 MB ledigt på disken med datamappen."},
        {u"NoRoomLeft", "Der er ikke mere plads på disken (%1)."},
        {u"MissingTable", "Tabellen %1 mangler."},
        {u"MissingField", "Feltet %1 mangler i tabellen %2."},
        {u"WrongType", "Feltet %1 i tabellen %2 har en forkert type."},
        {u"SchemaTrigger",
         "Databasen i sikkerhedskopien har en trigger (%1 på tabellen %2), som programmet ikke "
         "selv laver. Den kunne ændre eller slette dine data, så sikkerhedskopien gendannes ikke."},
        {u"SchemaView",
         "Databasen i sikkerhedskopien har et view (%1), som programmet ikke selv laver, så "
         "sikkerhedskopien gendannes ikke."},
        {u"SchemaIndex",
         "Databasen i sikkerhedskopien har et ukendt indeks (%1 på tabellen %2). Det kunne ændre, "
         "hvad programmet tillader, så sikkerhedskopien gendannes ikke."},
        {u"SchemaTable",
         "Databasen i sikkerhedskopien har en tabel (%1), som programmet ikke kender, så "
         "sikkerhedskopien gendannes ikke."},
        {u"SchemaComputed",
         "Feltet %1 i tabellen %2 i sikkerhedskopien beregnes af en formel, som programmet ikke "
         "selv laver, så sikkerhedskopien gendannes ikke."},
        {u"SchemaKey",
         "Nøglen til tabellen %1 i sikkerhedskopien er ikke programmets egen, så sikkerhedskopien "
         "gendannes ikke."},
        {u"StillInUse",
         "Databasen er stadig i brug i et andet vindue. Luk de andre vinduer, og prøv igen."},
        {u"NothingChanged", "Intet er ændret."},
        {u"BackupInfo", "%1 (lavet %2; planter: %3, haveanlæg: %4)"},
        {u"DatabaseDamaged",
         "Databasen er beskadiget, så en kopi af den ville ikke kunne gendannes.\n\rGendan en "
         "sikkerhedskopi under Funktioner > Gendan sikkerhedskopi."},
        {u"DamagedAtStart",
         "Databasen %1 er beskadiget.\n\rDen nyeste sikkerhedskopi, der er hel, er:\n\r%2\n\rVil "
         "du gendanne den? De beskadigede filer og de nuværende billeder flyttes uændret til %3."},
        {u"DamagedNoBackup",
         "Databasen %1 er beskadiget, og der er ingen hel sikkerhedskopi i:\n\r%2\n\rDe "
         "beskadigede filer er ikke ændret. Der laves ingen daglig sikkerhedskopi af beskadigede "
         "data; har du en sikkerhedskopi et andet sted, så gendan den under Funktioner > Gendan "
         "sikkerhedskopi."},
        {u"DamagedDeclined",
         "De beskadigede filer er ikke ændret. Der laves ingen daglig sikkerhedskopi af "
         "beskadigede data.\n\rDu kan gendanne en sikkerhedskopi senere under Funktioner > Gendan "
         "sikkerhedskopi."},
        {u"DamagedAtClose",
         "Databasen er beskadiget, så der er ikke lavet en daglig sikkerhedskopi, og de tidligere "
         "sikkerhedskopier er bevaret.\n\rGendan den nyeste gode sikkerhedskopi under Funktioner > "
         "Gendan sikkerhedskopi; programmet tilbyder det også, når det starter næste gang."},
        {u"TargetInDataFolder",
         "En sikkerhedskopi kan ikke gemmes i datamappen %1, kun i dens mappe Sikkerhedskopier: "
         "den kunne erstatte dine data.\n\rVælg et andet sted."},
        {u"TargetNotBackup",
         "%1 findes allerede og er ikke en sikkerhedskopi fra Verdamo, så den overskrives "
         "ikke.\n\rVælg et andet navn."},
        {u"PlaceInDataFolder",
         "Det andet sted skal ligge uden for datamappen %1; ellers går sikkerhedskopierne tabt "
         "sammen med den."},
        {u"PlaceNotWritable", "Der kan ikke skrives i mappen %1."},
        {u"SecondPlaceFailed",
         "Den daglige sikkerhedskopi kunne ikke gemmes i %1:\n\r%2\n\rDen er gemt i datamappen."},
        {u"Reminder",
         "Der er ikke lavet en sikkerhedskopi uden for datamappen i %1 dage. Går disken tabt, "
         "mister du både dine data og alle sikkerhedskopierne.\n\rVælg et andet sted til "
         "sikkerhedskopierne, fx en USB-nøgle, en anden disk eller en synkroniseret mappe, under "
         "Funktioner > Sikkerhedskopi.\n\rVil du gøre det nu?"},
        {u"Never", "aldrig"},
        {u"NoPlace", "(intet valgt)"},
        {u"LastAt", "%1 i %2"},
        {u"PlaceAbsent", "%1 (ikke tilgængelig lige nu)"},
        {u"CsvRegional",
         "Skal filerne bruge de regionale skilletegn (\"%1\" mellem felterne og \"%2\" som "
         "decimaltegn), så et regneark åbner dem direkte? Tekster, der begynder med =, +, - eller "
         "@, får så en apostrof foran, så regnearket ikke udfører dem som formler.\n\rVælg Nej for "
         "komma og punktum og alle tekster nøjagtigt, som de står (til andre programmer)."},
        {u"CsvDone", "Alle data er eksporteret til mappen:\n\r%1"},
        {u"CsvFileLine", "%1: %2"},
        {u"CsvPlants.One", "%1 plante"},
        {u"CsvPlants.Other", "%1 planter"},
        {u"CsvWorks.One", "%1 haveanlæg"},
        {u"CsvWorks.Other", "%1 haveanlæg"},
        {u"CsvMaterials.One", "%1 materiale"},
        {u"CsvMaterials.Other", "%1 materialer"},
        {u"CsvNames.One", "%1 navn"},
        {u"CsvNames.Other", "%1 navne"},
        {u"CsvFamilies.One", "%1 familie"},
        {u"CsvFamilies.Other", "%1 familier"},
        {u"CsvTypes.One", "%1 plantetype"},
        {u"CsvTypes.Other", "%1 plantetyper"},
        {u"CsvFailed", "Eksporten kunne ikke gennemføres:\n\r%1"},
        {u"CsvOverwrite",
         "Mappen %1 har allerede filer med de samme navne:\n\r%2\n\rVil du erstatte dem?"},
        {u"ImportConfirm",
         "Programmet har allerede data. De erstattes af de gamle data fra %1.\n\rDe nuværende data "
         "gemmes først som en sikkerhedskopi.\n\rVil du fortsætte?"},
        {u"ImportPreview", "Dette kan læses fra %1:"},
        {u"ImportReadable.One", "%1: %2 række kan læses"},
        {u"ImportReadable.Other", "%1: %2 rækker kan læses"},
        {u"ImportDamaged.One", "%1 række er beskadiget og udelades (%2)"},
        {u"ImportDamaged.Other", "%1 rækker er beskadigede og udelades (den første: %2)"},
        {u"ImportUnknownFields", "felter, programmet ikke kender, udelades: %1"},
        {u"ImportMissingTable", "%1: findes ikke i mappen"},
        {u"ImportUnreadable", "%1: kan ikke læses (%2)"},
        {u"ImportAskPartial",
         "Vil du importere det, der kan læses? Tabeller, der ikke kan læses, beholder deres "
         "nuværende data, og de nuværende data gemmes først som en sikkerhedskopi."},
        {u"ImportAskDamaged",
         "Databasen er beskadiget; dens filer flyttes uændret til %1. Vil du importere det, der "
         "kan læses? Tabeller, der ikke kan læses, begynder forfra."},
        {u"ImportNothingReadable", "Der er intet i mappen, der kan læses."},
        {u"ImportNothing", "Der er ikke importeret noget; dine data er uændrede."},
        {u"ImportDone", "De gamle data er importeret:"},
        {u"ImportRows.One", "%1: %2 række"},
        {u"ImportRows.Other", "%1: %2 rækker"},
        {u"ImportKept", "%1: uændret"},
        {u"ImportLeftOut", "Beskadigede rækker, der er udeladt: %1"},
        {u"ImportPictures", "Billeder: %1 filer"},
        {u"ImportSafetyCopy", "De tidligere data er gemt i: %1"},
        {u"RowOf", "række %1: %2"},
        {u"RowUnreadable", "posten kan ikke læses"},
        {u"MemoMissing", "notatfilen %1 mangler"},
        {u"MemoDamaged", "et notat i %1 er beskadiget"},
        {u"BadValue", "feltet %1 har en værdi, der ikke kan overføres: %2"},
        {u"DuplicateKey", "der findes en tilsvarende registrering i forvejen"},
        {u"NotATable", "det er ikke en Paradox-tabel"},
        {u"StructureDamaged", "tabellens opbygning er beskadiget"},
        {u"UnknownFieldType", "feltet %1 har en type, programmet ikke kender"},
        {u"CannotCopy", "filen kan ikke kopieres"},
        {u"ReaderStopped", "læsningen af %1 stoppede uventet"},
    };
    static_assert(sizeof(entries) / sizeof(entries[0]) == TextCount, "one entry per text");
    return entries[int(which)];
}

}  // namespace

QString text(Text which, int language) {
    const Entry& e = entry(which);
    return i18n::textFor(language, u"BackupTexts", e.key, QString::fromUtf8(e.danish));
}

QString textKey(Text which) {
    return QString::fromUtf16(entry(which).key);
}

QString countText(Text one, Text other, qint64 n, int language) {
    return text(n == 1 ? one : other, language);
}

}  // namespace backup
