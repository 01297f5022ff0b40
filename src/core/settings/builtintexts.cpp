#include "core/settings/builtintexts.h"

#include <algorithm>
#include <array>

namespace wavix {
namespace {

// Wording exactly as the suite shows it elsewhere, spelling slips included.
constexpr auto kCatalogue = std::to_array<TextEntry>({
    {"TXT_001", "Příliš žluťoučký kůň, úpěl ďábelské ódy."},
    {"TXT_002", " Data directory not found ... "},
    {"TXT_003", "Start"},
    {"TXT_004", " Scope OK "},
    {"TXT_005", " Settings ok "},
    {"TXT_006", " Sending settings ... "},
    {"TXT_007", " Zero length ... "},
    {"TXT_010", "Čekání na odpověď ..."},
    {"TXT_011", "Scope zastaven"},
    {"TXT_012", "Čekání na hranu ..."},
    {"TXT_013", "Jeden odměr"},
    {"TXT_050", " Průběh se nepodařilo uložit. %s není platný název souboru. "},
    {"TXT_101", "Komunikacni rozhrani je pravdepodobne obsazene jinym programem ... Zkusit znovu??"},
    {"TXT_102", "Komunikace se čtečkou ztracena ..."},
    {"TXT_103",
     "Čtečka se pravděpodobně zbláznila. Odpojte prosím čtečku od napájení a pak jí opět připojte. Děkujeme"},
    {"TXT_104", "Čtečka neobsahuje modul SCOPE. Kontaktujte svého dodavatele ...."},
    {"TXT_107", "Pro ukládání logu je třeba přepnout osciloskop do módu ROLL!"},
    {"TXT_108", "Chystáte se ukládat naměřené údaje v režimu FREE. Výsledný soubor může narůst do obrovských "
                "rozměrů. \n V průběhu záznamu není možné měnit nastavení osciloskopu. V případě, že bude "
                "nastavení změněno dojde k ukončení záznamu.\n Opravdu chcete pokračovat?"},
    {"TXT_109", "Čekejte, zpracovávám data ..."},
    {"TXT_110", "Nahrávání souboru"},
    {"TXT_111", "Soubor již existuje. Chcete soubor přepsat?"},
    {"TXT_112", "Logování v Roll režimu bylo ukončeno."},
    {"TXT_113", "Chcete nejprve odstranit aktuálně nahrané průběhy?"},
    {"TXT_114", "Nahrávám"},
    {"TXT_115", "Zrušit"},
    {"TXT_201", " Scope ? "},
    {"TXT_202", " Scope A "},
    {"TXT_203", " Scope B "},
    {"TXT_204", " Scope C "},
    {"TXT_205", " Scope D "},
    {"TXT_210", " Informace o kannálech "},
    {"TXT_211", " Kanál %d "},
    {"TXT_212", " Nahraný kanál %d "},
    {"TXT_213", " Kreslit průběh ... "},
    {"TXT_214", " Kreslit limity "},
    {"TXT_215", " Uložit měření z grafu ... "},
    {"TXT_216", " Nahrát průběh ... "},
    {"TXT_217", " Obstranit průběh ... "},
    {"TXT_218", " Změnit barvu pozadí ... "},
    {"TXT_219", " Změnit barvu mřížky ... "},
    {"TXT_220", " Barvy jednotlivých průběhů "},
    {"TXT_221", " Plné zobrazení "},
    {"TXT_222", " Poloviční zobrazení "},
    {"TXT_223", " Skrýt scroll bar "},
    {"TXT_224", " Zobrazit scroll bar "},
    {"TXT_225", " Odstranit průběhy ..."},
    {"TXT_400", "Jméno a příjmení zákazníka:"},
    {"TXT_401", "Adresa zákazníka:"},
    {"TXT_402", "Telefon zákazníka:"},
    {"TXT_403", "Fax zákazníka:"},
    {"TXT_404", "Email zákazníka:"},
    {"TXT_405", "SPZ vozidla:"},
    {"TXT_406", "Typ automobilu:"},
    {"TXT_407", "Rok výroby:"},
    {"TXT_408", "Objem válců:"},
    {"TXT_409", "VIN vozidla:"},
    {"TXT_410", "Typ vstřikování:"},
    {"TXT_420", "Poznámka :"},
    {"TXT_430", "Časová základna:"},
    {"TXT_431", "Úroveň spouštění:"},
    {"TXT_432", "Spouštěcí hrana:"},
    {"TXT_433", "Režim spouštění:"},
    {"TXT_500", "dílek"},
    {"TXT_501", "Náběžná"},
    {"TXT_502", "Sestupná"},
    {"TXT_600", "Soubor"},
    {"TXT_601", "Uložit nastavení"},
    {"TXT_602", "Konec"},
    {"TXT_603", "Kalibrace"},
    {"TXT_604", "Připojení ..."},
    {"TXT_610", "Zobraz"},
    {"TXT_611", "Tlačítlová lišta"},
    {"TXT_612", "Nastavení osciloskopu"},
    {"TXT_613", "Nastavení kanálu"},
    {"TXT_650", "Help"},
    {"TXT_651", "O společnosti ..."},
    {"TXT_700", "Zvolte nastavení osciloskopu"},
    {"TXT_701", "Použít konfiguraci uloženou v Vexor"},
    {"TXT_702", "Použít poslední konfiguraci uloženou v PC"},
    {"TXT_703", "Vybrat konfiguraci ze vzorových měření"},
    {"TXT_704", "Výběr konfigurace z databáze"},
    {"TXT_705", "Vlastní nastavení osciloskopu"},
    {"TXT_706", "Vlastní nastavení osciloskopu"},
    {"TXT_707", "Nastavení časové základny"},
    {"TXT_708", "dílek"},
    {"TXT_709", "Počet kanálů"},
    {"TXT_711", "%d kanálový osciloskop"},
    {"TXT_720", "Pokračovat"},
    {"TXT_721", "Ukončit aplikaci"},
    {"TXT_730", "Upozornění"},
    {"TXT_731",
     "Průběh, který načítáte je naměřen s jiným nastavením časové základny, než jaké máte nastavené. Aby "
     "mohl být načítaný průběh zobrazen, musí se nastavení časové základny přizpůsobit načítanému průběhu."},
    {"TXT_732", "Chcete pokračovat?"},
    {"TXT_733", "Vaše nastavení :"},
    {"TXT_734", "Nastavení v souboru :"},
    {"TXT_735", "Ano"},
    {"TXT_736", "Ne"},
    {"TXT_750", "Počet kanálů: %d"},
    {"TXT_751", "Vypnout aktualizaci grafu"},
    {"TXT_752", "Zapnout aktualizaci grafu"},
    {"TXT_753", "Změnit zobrazeni grafu"},
    {"TXT_754", "Vytisknout aktuálni údaje"},
    {"TXT_755", "Načíst signál"},
    {"TXT_756", "Uložit nastavení"},
    {"TXT_757", "Přepnout způsob vykreslování signálu"},
    {"TXT_758", "Konfugurátor kanálů"},
    {"TXT_759", "Odpojit Vexor Reader"},
    {"TXT_760", "Načíst vzorový průběh"},
    {"TXT_761", "Načíst logovaný průběh"},
    {"TXT_762", "Ukládání log. souboru v módu Roll"},
    {"TXT_763", "Zachytit další jeden odměr (F5)"},
    {"TXT_764", "Připojit Vexor Reader"},
    {"TXT_770", "Stop"},
    {"TXT_771", "Start"},
    {"TXT_772", "Grafy"},
    {"TXT_773", "1 graf"},
    {"TXT_774", "Tisk"},
    {"TXT_775", "Načíst"},
    {"TXT_776", "Uložit"},
    {"TXT_777", "Režim %d"},
    {"TXT_778", "Kanály"},
    {"TXT_779", "Odpojit"},
    {"TXT_780", "Vzory"},
    {"TXT_781", "Logy"},
    {"TXT_782", "Log"},
    {"TXT_783", "REC"},
    {"TXT_784", "Připojit"},
    {"TXT_800", "Časová základna"},
    {"TXT_801", "Spouštění"},
    {"TXT_802", "Měření čas.osy"},
    {"TXT_803", "Kanál"},
    {"TXT_804", "Změnit barvu signálu .."},
    {"TXT_805", "Zrušit sondu"},
    {"TXT_806", "Nahrát sondu"},
    {"TXT_850", ".: Informace pro tisk ..."},
    {"TXT_852", "Název měření:"},
    {"TXT_854", "Jméno a príjmení zákazníka:"},
    {"TXT_855", "Adresa zákazníka:"},
    {"TXT_856", "Telefon zákazníka:"},
    {"TXT_857", "Fax zákazníka:"},
    {"TXT_858", "Email zákazníka:"},
    {"TXT_859", "SPZ vozidla:"},
    {"TXT_860", "Typ automobilu:"},
    {"TXT_861", "Rok výroby:"},
    {"TXT_862", "Objem válců:"},
    {"TXT_863", "VIN vozidla:"},
    {"TXT_864", "Typ vstřikování:"},
    {"TXT_865", "Poznámka :"},
    {"TXT_866", "OK"},
    {"TXT_867", "Nastavení tiskárny ..."},
    {"TXT_868", "Zrušit"},
    {"TXT_869", "Tisk se nepodařil. Soubor %s nelze otevřít pro zápis."},
    {"TXT_870", "Tisk se nepodařil. Tiskárnu %s nelze použít."},
    {"TXT_871", "Údaje o dílně v General.ini nelze načíst. Nic se netiskne."},
    {"TXT_900", ".: Uložit všechna měření ..."},
    {"TXT_901", ".: Uložit měření z aktuálního grafu ..."},
    {"TXT_902", "Název měření:"},
    {"TXT_903", "Jméno souboru:"},
    {"TXT_904", "Uložit"},
    {"TXT_905", "Zrušit"},
    {"TXT_906", "Zadaná cesta souboru není platná!! Prosím opravte umístění souboru."},
    {"TXT_907", "Open Scope file .. "},
    {"TXT_908", "Soubor se nepodařilo uložit!"},
    {"TXT_909", "Zápis do souboru logu selhal. Logování v Roll režimu bylo ukončeno."},
    {"TXT_950", ".: Channel info ..."},
    {"TXT_951", ".: Informace ..."},
    {"TXT_952", "Název:"},
    {"TXT_953", "Popis:"},
    {"TXT_954", "Barva:"},
    {"TXT_955", ".: Původní nastavení ..."},
    {"TXT_956", "Zesílení kanálu :"},
    {"TXT_957", "Vstupní vazba :"},
    {"TXT_958", "Jméno sondy :"},
    {"TXT_959", "Zesílení sondy :"},
    {"TXT_960", "Jednotky :"},
    {"TXT_961", "Časová základna :"},
    {"TXT_962", "Úrověň spouštění :"},
    {"TXT_963", "Spouštěcí hrana :"},
    {"TXT_964", "Režim spouštění :"},
    {"TXT_965", "OK"},
    {"TXT_1000", ".: Vzorové průběhy ..."},
    {"TXT_1001", " Vzorové průběhy "},
    {"TXT_1002", " Detaily "},
    {"TXT_1003", "Soubor"},
    {"TXT_1004", "Popis"},
    {"TXT_1005", "Položka"},
    {"TXT_1006", "Hodnota"},
    {"TXT_1007", "Zrušit"},
    {"TXT_1008", "Edit"},
    {"TXT_1009", "Nahrát jen nastavení"},
    {"TXT_1010", "Nahrát nastavení i průběhy"},
    {"TXT_1011", "Popis měření"},
    {"TXT_1012", "Počet kanálů"},
    {"TXT_1013", "Časová základna"},
    {"TXT_1014", "Režim spouštění"},
    {"TXT_1015", "Spouštěcí hrana"},
    {"TXT_1016", "Úroveň spouštění"},
    {"TXT_1017", "Název kanálu"},
    {"TXT_1018", "Popis kanálu"},
    {"TXT_1019", "Zesílení"},
    {"TXT_1020", "Vstupní vazba"},
    {"TXT_1021", "Název sondy"},
    {"TXT_1022", "Jednotky sondy"},
    {"TXT_1030", "Název měření:"},
    {"TXT_1031", " Kanály "},
    {"TXT_1032", "Název"},
    {"TXT_1033", "Popis"},
    {"TXT_1034", "Kanál %s:"},
    {"TXT_1035", "Zrušit"},
    {"TXT_1100", ".: Logované průběhy ..."},
    {"TXT_1101", " Logované průběhy "},
    {"TXT_1102", " Třídit "},
    {"TXT_1103", "Podle názvu"},
    {"TXT_1104", "Podle data"},
    {"TXT_1105", "Zrušit"},
    {"TXT_1106", "Zkontroluj soubory v přístroji"},
    {"TXT_1107", "Zobraz log."},
    {"TXT_1108", "Soubor"},
    {"TXT_1109", "Popis"},
    {"TXT_1110", "Délka záznamu"},
    {"TXT_1111", "Datum"},
    {"TXT_1200", ".: Prohlížení logu ..."},
    {"TXT_1201", "Pozice v souboru"},
    {"TXT_1202", "Délka okna"},
    {"TXT_1203", "Čas"},
    {"TXT_1204", "Značky"},
    {"TXT_1205", "Počet značek"},
    {"TXT_1206", "Aktivní značka"},
    {"TXT_1207", "Přejít na značku"},
    {"TXT_1208", "Měření"},
    {"TXT_1209", "Naměřený čas"},
    {"TXT_1210", "Režim zobrazení"},
    {"TXT_1211", "Stop"},
    {"TXT_1212", "Nastavení kanálů"},
    {"TXT_1214", "Časová základna"},
    {"TXT_1215", "Režim spouštění"},
    {"TXT_1216", "Spouštěcí hrana"},
    {"TXT_1217", "Úroveň spouštění"},
    {"TXT_1218", "nezobrazeno"},
    {"TXT_1300", "Stažení logů z přístroje"},
    {"TXT_1301", "Status :"},
    {"TXT_1302", "Souborů v přístroji :"},
    {"TXT_1303", "Download"},
    {"TXT_1304", "Zrušit"},
    {"TXT_1305", "Soubor se nepodařilo stáhnout."},
    {"TXT_1306", "Přístroj soubor neobsahuje."},
    {"TXT_1307", "Soubor již existuje."},
    {"TXT_1308", "Chcete soubor přepsat?"},
    {"TXT_1309", "Soubor nebyl uložen."},
    {"TXT_1310", "Stahování dokončeno."},
    {"TXT_1311", "Soubor"},
    {"TXT_1312", "přijato kB"},
    {"TXT_1313", "Nalezeno:"},
    {"TXT_1314", "V přístroji nejsou žádné logy."},
    {"TXT_1315", "Nalezeno"},
    {"TXT_1316", "souborů."},
    {"TXT_1317", "Pro stažení stiskněte Download."},
    {"TXT_1318", "Soubor se nepodařilo zapsat na disk."},
    {"TXT_1319", "Velikost přijatého souboru nesouhlasí s přístrojem."},
    {"TXT_1320", "Přístroj neodpovídá."},
    {"TXT_1321", "Stahování skončilo s chybami."},
    {"TXT_1322", " Data nelze odeslat ... "},
    {"TXT_1400", ".: Kalibrace"},
    {"TXT_1401", "Verze :"},
    {"TXT_1402", "Velikost :"},
    {"TXT_1403", "Suma :"},
    {"TXT_1404", "Password :"},
    {"TXT_1405", "Datum :"},
    {"TXT_1406", "kalibrace_low :"},
    {"TXT_1407", "kalibrace_hight :"},
    {"TXT_1408", "OK"},
    {"TXT_1409", "Zrušit"},
    {"TXT_1410", "Položka Password je mimo povolené limity!"},
    {"TXT_1411", "Pro funkci kalibrace musí být osciloskop spuštěn!"},
    {"TXT_1412", "Probíhá kalibrace ... "},
    {"TXT_1413", "Spatna cesta k datum. Kontaktujte dodavatele programu!!!"},
    {"TXT_1414", "Nebyla vybrána žádná položka"},
    {"TXT_1500", " Při nahrávání průběhu vznikla chyba!\nPravděpodobně špatný soubor s průběhem."},
    {"TXT_1501",
     "Tato verze programu spolupracuje s modulem Scope verze 2 a vyšší!\nVáš přístroj Vexor obsahuje verzi "
     "Scope 1.x. Inovujte modul Scope, nebo použijte starší verzi programu Wavix.exe."},
    {"TXT_1502", "Nepodařilo se složit kalibrační strukturu SOscil_EEPROM!"},
    {"TXT_1503", " Nepodarilo se uzavrit spojeni se cteckou"},
    {"TXT_1504", "Chybné heslo, čtečka není nakalibrována nebo vznikla jiná HW chyba - kontaktujte výrobce!"},
    {"TXT_1505", "Přístroj obsahuje starou verzi osciloskopu (chybí kalibrace) - kontaktujte výrobce!"},
    {"TXT_1506", "Kalibrace byla dokončena."},
    {"TXT_1507", " Váš přístroj obsahuje starší verzi modulu scope (verze %d)\nDopručujeme abyste "
                 "nainstalovali novou verzi programu scope!\n\nChcete pokračovat???"},
    {"TXT_1508", "Running scope ... "},
    {"TXT_1509", "Disconnected ..."},
    {"TXT_1510", "Nejprve je nutné vybrat měření!"},
    {"TXT_1511", "Uložení opraveného průběhu se nepodařilo!"},
    {"TXT_1512", "Soubor sondy nelze načíst:\n%s"},
    {"TXT_1513", " .: Upozornění ... "},
    {"TXT_1514", " .: Chyba ..."},
    {"TXT_1515", " File not valid ... "},
    {"TXT_1516", " Data not valid ... "},
    {"TXT_1517", "FiFo full ... "},
    {"TXT_1518", "Status error ... "},
    {"TXT_1519", "Unknown command ... "},
    {"TXT_1520", "Unable compose data ... "},
    {"TXT_1521", "Unable compose menu ... "},
    {"TXT_1522", "Module not present ... "},
    {"TXT_1523", "Unable compose dictionary ... "},
    {"TXT_1524", "Connection failec ... "},
    {"TXT_1525", "Unexpected command ... "},
    {"TXT_1526", " .: Chyba ... "},
    {"TXT_1527", "Nastavení vyžaduje více vzorků, než modul dokáže přenést."},
    {"TXT_1530", "Nastavení obnoveno po restartu čtečky"},
    {"TXT_1531", "Jeden odměr hotov: Start (F5) zachytí další"},
    {"TXT_1540", "Tester na adrese %s neodpovídá, zkouším to znovu ..."},
    {"TXT_1541", "%s: připojuji ..."},
    {"TXT_1542", "%s: běží, %d záznamů/s"},
    {"TXT_1543", "%s: zastaveno"},
    {"TXT_1544", "%s: neodpovídá"},
    {"TXT_1545", "%s: spojení ztraceno, připojuji znovu ..."},
    {"TXT_1546", "Poslední záznam %s"},
    {"TXT_1547", "Připojení k testeru"},
    {"TXT_1548", "Adresa testeru:"},
    {"TXT_1549", "Port:"},
    {"TXT_1550", "Adresa musí být IPv4 adresa (např. 192.168.1.50) nebo název počítače."},
    {"TXT_1551", "Port musí být číslo od 1 do 65535."},
    {"TXT_1552", "Adresu nelze uložit do General.ini."},
    {"TXT_1553", "Připojit"},
    {"TXT_1554", "Zrušit"},
    {"TXT_1670", "Frekvence"},
    {"TXT_1671", "Perioda"},
    {"TXT_1672", "Střída"},
    {"TXT_1673", "Šířka kladného impulzu"},
    {"TXT_1674", "Šířka záporného impulzu"},
    {"TXT_1675", "Maximum"},
    {"TXT_1676", "Minimum"},
    {"TXT_1677", "Špička-špička"},
    {"TXT_1678", "Střední hodnota"},
    {"TXT_1679", "Efektivní hodnota"},
    {"TXT_1680", "Doba náběhu 10-90"},
    {"TXT_1681", "Doba sestupu 90-10"},
    {"TXT_1682", "Otáčky motoru"},
    {"TXT_1683", "Zuby kola"},
    {"TXT_1684", "Chybějící zuby"},
    {"TXT_1685", "Doba vstřiku"},
    {"TXT_1686", "Doba sepnutí cívky"},
    {"TXT_1687", "Doba hoření jiskry"},
    {"TXT_1688", "Zápalné napětí"},
    {"TXT_1690", "Žádné vzorky"},
    {"TXT_1691", "Signál se nemění"},
    {"TXT_1692", "Chybí celá perioda"},
    {"TXT_1693", "Chybí celý impulz"},
    {"TXT_1694", "Chybí celá hrana"},
    {"TXT_1695", "Signál přesahuje rozsah"},
    {"TXT_1696", "Chybějící zub nenalezen"},
    {"TXT_1697", "Chybí celá otáčka"},
    {"TXT_1698", "Vstřik se zavírací špičkou nenalezen"},
    {"TXT_1699", "Sepnutí cívky se zážehem nenalezeno"},
    {"TXT_1700", "Chybí celé hoření jiskry"},
    {"TXT_1701", "Kanál nemá časovou základnu ani měřítko"},
    {"TXT_1740", "Automatické nastavení"},
    {"TXT_1741", "Vrátit automatické nastavení"},
    {"TXT_1742", "Automatické nastavení ..."},
    {"TXT_1743", "Automatické nastavení hotovo"},
    {"TXT_1744", "Automatické nastavení neustálilo:"},
    {"TXT_1745", "rozsah kanálu"},
    {"TXT_1746", "časovou základnu"},
    {"TXT_1747", "úroveň spouštění"},
    {"TXT_1748", "žádné snímky"},
    {"TXT_1749", "Automatické nastavení potřebuje živé snímání"},
    {"TXT_1750", "Vráceno nastavení před automatickým nastavením"},
    {"TXT_1751", "Není co vrátit"},
});

constexpr bool wellOrdered(std::span<const TextEntry> table) {
    int previous = -1;
    for (const auto& entry : table) {
        const int number = LangKeyNumber(entry.key);
        if (number <= previous)
            return false;
        previous = number;
    }
    return true;
}
static_assert(wellOrdered(kCatalogue), "every key well formed, ordered by number, none twice");

constexpr bool isStatusKey(int number) {
    return (number >= 1 && number <= 7) || number == 50 || (number >= 101 && number <= 113);
}

constexpr std::size_t kStatusCount =
    static_cast<std::size_t>(std::count_if(kCatalogue.begin(), kCatalogue.end(), [](const TextEntry& entry) {
        return isStatusKey(LangKeyNumber(entry.key));
    }));

constexpr auto kStatusTexts = [] {
    std::array<TextEntry, kStatusCount> out{};
    std::size_t n = 0;
    for (const auto& entry : kCatalogue)
        if (isStatusKey(LangKeyNumber(entry.key)))
            out[n++] = entry;
    return out;
}();

} // namespace

std::span<const TextEntry> BuiltinTexts() {
    return kCatalogue;
}

std::string_view BuiltinText(std::string_view key) {
    const int number = LangKeyNumber(key);
    if (number < 0)
        return {};
    const auto it = std::lower_bound(kCatalogue.begin(), kCatalogue.end(), number,
                                     [](const TextEntry& e, int n) { return LangKeyNumber(e.key) < n; });
    if (it == kCatalogue.end() || it->key != key)
        return {};
    return it->builtin;
}

std::span<const TextEntry> BuiltinTextRange(int firstNumber, int lastNumber) {
    if (firstNumber > lastNumber)
        return {};
    const auto byNumber = [](const TextEntry& e, int n) { return LangKeyNumber(e.key) < n; };
    const auto first = std::lower_bound(kCatalogue.begin(), kCatalogue.end(), firstNumber, byNumber);
    const auto last = std::upper_bound(first, kCatalogue.end(), lastNumber,
                                       [](int n, const TextEntry& e) { return n < LangKeyNumber(e.key); });
    return {first, last};
}

std::span<const TextEntry> MainStatusTexts() {
    return kStatusTexts;
}

std::span<const TextEntry> MainStateTexts() {
    return BuiltinTextRange(10, 13);
}

std::span<const TextEntry> ViewMenuTexts() {
    return BuiltinTextRange(201, 225);
}

std::span<const TextEntry> MainMenuTexts() {
    return BuiltinTextRange(600, 651);
}

int TextIndex(std::span<const TextEntry> table, std::string_view key) {
    for (std::size_t i = 0; i < table.size(); ++i)
        if (table[i].key == key)
            return static_cast<int>(i);
    return -1;
}

} // namespace wavix
