#!/usr/bin/python3
"""Generates geo/Zol_geobasics_tables.inc: the datum catalogue (271 rows) and the
country catalogue (231 rows) of Zol_geobasics.

Sources (see docs/geo-data-sources.md for licences):
  * datums: EPSG geodetic datums, ellipsoids and Helmert transformations to WGS 84
    from the PROJ database of Debian's proj-data (/usr/share/proj/proj.db);
  * countries: ISO 3166-1 and ISO 3166-3 names and codes from Debian's iso-codes,
    representative positions and capital names from the npm package
    world-countries (ODbL 1.0), capital positions from tzdata's zone.tab
    (coordinates of the zone's principal city when that city is the capital).
A value that none of these sources gives is written as "unknown": NaN for numbers,
an empty FIPS code, CapAltitudeUnknown for elevations.  The few rows whose values
are fixed by the catalogue's own definition (ROW_FIXED, COUNTRY_FIXED) are kept.

Run: scripts/geo/make_tables.py [path/to/world-countries/countries.json]
(defaults to node_modules/world-countries/countries.json below the current folder;
install it with `npm install world-countries@5.1.0`).
"""
import json
import math
import os
import re
import sqlite3
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, '..', '..', 'geo', 'Zol_geobasics_tables.inc')
PROJ_DB = '/usr/share/proj/proj.db'
ISO1 = '/usr/share/iso-codes/json/iso_3166-1.json'
ISO3 = '/usr/share/iso-codes/json/iso_3166-3.json'
ZONETAB = '/usr/share/zoneinfo/zone.tab'

ELLIPSOIDS = [  # order of TGeoEllipsoid: (identifier, a, b)
    ('gelWGS84', 6378137.0, 6356752.314245),
    ('gelWGS72', 6378135.0, 6356750.519915),
    ('gelWGS66', 6378145.0, 6356759.769356),
    ('gelWGS60', 6378165.0, 6356783.286959),
    ('gelClrk80RGS', 6378249.145, 6356514.86955),
    ('gelClrk66', 6378206.4, 6356583.8),
    ('gelBess41', 6377397.155, 6356078.96284),
    ('gelBess41Jap', 6377397.155, 6356078.963),
    ('gelBess41Nam', 6377483.865, 6356165.382966),
    ('gelNewInt67', 6378157.5, 6356772.2),
    ('gelInt24', 6378388.0, 6356911.94613),
    ('gelEver69', 6377295.664, 6356094.667915),
    ('gelEver56', 6377301.243, 6356100.228368),
    ('gelEver48', 6377304.063, 6356103.039),
    ('gelEver30Ind', 6377276.3452, 6356075.4133),
    ('gelEverPak', 6377309.613, 6356108.570542),
    ('gelEverest', 6377298.556, 6356097.550301),
    ('gelGRS80', 6378137.0, 6356752.31414),
    ('gelAiry30', 6377563.396, 6356256.91),
    ('gelModifAiry', 6377340.189, 6356034.448),
    ('gelFish68', 6378150.0, 6356768.337303),
    ('gelFish60', 6378166.0, 6356784.283666),
    ('gelModifFish60', 6378155.0, 6356773.3205),
    ('gelAuNat65', 6378160.0, 6356774.719),
    ('gelKrass40', 6378245.0, 6356863.0188),
    ('gelHough60', 6378270.0, 6356794.343479),
    ('gelSphere', 6370997.0, 6370997.0),
    ('gelIndo74', 6378160.0, 6356774.504086),
    ('gelHelm06', 6378200.0, 6356818.169628),
    ('gelSGS85', 6378136.0, 6356751.301569),
    ('gelSAm69', 6378160.0, 6356774.719),
    ('gelATS77', 6378135.0, 6356750.304922),
    ('gelAuthSph', 6371000.0, 6371000.0),
    ('gelBesselMod', 6377492.018, 6356173.508713),
    ('gelCGCS2000', 6378137.0, 6356752.31414),
    ('gelClrk58', 6378293.6452, 6356617.987671),
    ('gelClrk66Mich', 6378450.0475, 6356826.62144),
    ('gelClrk80', 6378249.1448, 6356514.966196),
    ('gelClrk80Arc', 6378249.145, 6356514.966399),
    ('gelClrk80Benoit', 6378300.789, 6356566.435),
    ('gelClrk80IGN', 6378249.2, 6356515.0),
    ('gelClrk80intfoot', 6378306.3696, 6356571.996),
    ('gelClrk80SGA22', 6378249.2, 6356514.996942),
    ('gelDan76', 6377019.2567, 6355762.525844),
    ('gelEver30', 6377299.3656, 6356098.35901),
    ('gelEver75', 6377299.151, 6356098.14512),
    ('gelGEM10C', 6378137.0, 6356752.314245),
    ('gelGRS67', 6378160.0, 6356774.516091),
    ('gelGRS67Mod', 6378160.0, 6356774.719195),
    ('gelHughes80', 6378273.0, 6356889.449),
    ('gelIAG75', 6378140.0, 6356755.288158),
    ('gelInt24AuthSph', 6371228.0, 6371228.0),
    ('gelOSU86F', 6378136.2, 6356751.516927),
    ('gelOSU91A', 6378136.3, 6356751.616592),
    ('gelPlessis17', 6376523.0, 6355862.933256),
    ('gelPopVisSphere', 6378137.0, 6378137.0),
    ('gelPZ90', 6378136.0, 6356751.361746),
    ('gelStruve60', 6378298.3, 6356657.14267),
    ('gelWarOffice', 6378300.0, 6356751.689189),
    ('gelHongKong63', 6378235.6, 6356560.13971),
    ('gelNahrwan29', 6378300.782, 6356566.42744),
]

DATUM_LIST = '''
ACCRA: 1 Ghana; ADINDAN: 2 Burkina Faso, 3 Cameroon, 4 Ethiopa, 5 Mali, 6 Mean, 7 Senegal, 8 Sudan; ANTIGUA ISLAND ASTRO 1943: 9 Antigua; AIN EL ABD 1970: 10 Bahrain, 11 Saudi Arabia; AMERICAN SAMOA 1962: 12 Samoa Islands; RD, AMERSFOORT: 13 Netherlands; ANNA 1 ASTRO 1965: 14 Cocos Islands; ARC 1950: 15 Southern Africa, 16 Botswana, 17 Burundi, 18 Lesotho, 19 Malawi, 20 Swaziland, 21 Zaire, 22 Zambia, 23 Zimbabwe; ARC 1960: 24 Kenya, 25 Tanzania; ASCENSION ISLAND 1958: 26 Ascension; MONTSERRAT IS. ASTRO 1958: 27 Montserrat; ASTRO STATION 1952: 28 Marcus Islands; ASTRO BACON E 1845: 29 Iwo Jima; AUSTRALIAN GEODETIC 1966: 30 Australia; AUSTRALIAN GEODETIC 1984: 31 Australia; DJAKARTA: 32 Indonesia; BEKAA BASE SOUTH END: 33 Lebanon; BERMUDA 1957: 34 Bermuda; BISSAU: 35 Guinea Bissau; BOGOTA OBSERVATORY: 36 Colombia; BERNE (1898),: 37 Switzerland; BUKIT RIMPAH: 38 Indonesia; CAPE CANAVERAL: 39 Florida & Bahamas; CAMPO INCHAUSPE 1969: 40 Argentina; CANTON ASTRO 1966: 41 Phoenix Islands; CAPE: 42 South Africa; CAMP AREA ASTRO: 43 Antarctica; S-JTSK: 44 Czech Republic, 45 Slovakia; CARTHAGE: 46 Tunisia; CHATHAM ISLAND ASTRO 1971: 47 New Zealand; CHUA ASTRO: 48 Paraguay; CH1903+: 49 Switzerland; CORREGO ALEGRE: 50 Brazil; OBSERVATOROI: 51 Mozambique South; CYPRUS 1935: 52 Cyprus; ESTONIA 1937: 53 Estonia; DABOLA: 54 Guinea; DECEPTION ISLAND: 55 Antarctica; GUX 1 ASTRO: 56 Guadalcanal Island; EASTER ISLAND 1967: 57 Easter Island; WAKE-ENIWETOK 1960: 58 Marshall Islands; EUROPEAN DATUM 1950: 59 Europe, 60 Western Europe, 61 Norway & Finland, 62 Denmark, 63 Channel Islands, 64 Portugal and Spain, 65 Portugal, 66 Balearic Islands, 67 Spain (except NW),, 68 Spain NW, 69 Gibraltar, 70 Italy - Sardinia, 71 Italy - Sicily, 72 Malta, 73 Former Yugoslavia N, 74 Greece, 75 Cyprus, 76 Turkey, 77 Algeria, 78 Tunisia, 79 Egypt, 80 Lebanon, 81 Iran, 82 Middle East, 83 Oman; EUROPEAN 1979: 84 Europe, 85 Portugal; ETRF89: 86 Europe; FAHUD: 87 Oman; OBSERVATORIO MET. 1939: 88 Flores; FORT THOMAS 1955: 89 St Kitts-Nevis; GAN 1970: 90 Rep. of Maldives; GEOCENTRIC DATUM AUSTRALIA: 91 Australia; GEODETIC DATUM 1949: 92 New Zealand; DOS 1968: 93 Gizo Islands; GRACIOSA BASE SW 1948: 94 Azores; GGRS87: 95 Greece; GUNUNG SEGARA: 96 Indonesia; GUAM 1963: 97 Guam; HARTEBEESTHOCK 1994: 98 South Africa; HELSINKI, KALLIO CHURCH: 99 Finland; HERAT NORTH: 100 Afghanistan; MGI DATUM/HERMANNSKOGEL: 101 Austria; HERMANNSKOGEL: 102 Former Yugoslavia; HITO XVIII 1963: 103 Chile; HJORSEY 1955: 104 Iceland; HONG KONG 1963: 105 Hong Kong; HONG KONG 1980: 106 Hong Kong; HU-TZU-SHAN: 107 Taiwan; HUNGARIAN DATUM 1972: 108 Hungary; BELLEVUE (IGN),: 109 Efate Island; INDONESIAN 1974: 110 Indonesia; IRAQ-KUWAIT BOUNDARY 1992: 111 Iraq/ Kuwait; INDIAN: 112 Bangladesh, 113 India & Nepal, 114 Pakistan; INDIAN 1954: 115 Thailand; INDIAN 1960: 116 Con Son Island, 117 Vietnam; 1 INDIAN 1975: 118 Thailand; IRELAND 1965: 119 Ireland; ISTS 061 ASTRO 1968: 120 South Georgia; ISTS 073 ASTRO 1969: 121 Diego Garcia; JOHNSTON ISLAND 1961: 122 Johnston Island; KANDAWALA JACKSON?: 123 Sri Lanka; KERTAU 1948: 124 Malaysia W & Sing.; KERGUELEN ISLAND 1949: 125 Kerguelen Island; KOREAN GEODETIC SYSTEM 1995: 126 South Korea; KKJ: 127 Finland; KUSAIE ASTRO 1951: 128 Caroline Island; LC5 ASTRO 1961: 129 Cayman Brac; LEIGON: 130 Ghana; LIBERIA 1964: 131 Liberia; LISBON (Castelo di Sao Jorge), D7: 132 Portugal; LKS94: 133 Lithuania; LUXEMBOURG NT: 134 Luxembourg; LUZON: 135 Philipines - Mindanao, 136 Philipines; MASSAWA: 137 Eritrea; MERCHICH: 138 Morroco; MIDWAY ASTRO 1961: 139 Midway Islands; MAHE 1971: 140 Seychelles - Mahe Is.; MINNA: 141 Cameroon, 142 Nigeria; ROME 1940: 143 Italy mainland, 144 Italy - Sardinia, 145 Italy - Sicily; M'PORALOKO: 146 Gabon; VITI LEVU 1916: 147 Fiji - Viti Levu; NAHRWAN: 148 Oman - Masirah Island, 149 Saudi Arabia, 150 United Arab Emirates; NAPARIMA: 151 Trinidad & Tobago; NORTH AMERICAN 1983: 152 US - Alaska, 153 US - Aleutian, 154 Canada, 155 US - CONUS, 156 US - Hawaii, 157 Mexico; NORTH AMERICAN 1927: 158 US - Alaska, 159 Canada, 160 Canada-Alberta/British Columbia, 161 US - Aleutian East, 162 US - Aleutian West, 163 Bahamas, 164 Canal Zone, 165 Caribbean, 166 Central America, 167 US - CONUS, 168 Cuba, 169 CanadaEast, 170 US - Eastern, 171 Greenland, 172 Canada - Manitoba/Ontario, 173 Mexico, 174 Canada - NW Territory, 175 San Salvador, 176 US - Western, 177 Canada - Yukon; NTF: 178 France; NGO 1948: 179 Norway; NORTH SAHARA 1959: 180 Algeria; BELGIUM DATUM 1972: 181 Belgium; OLD EGYPTIAN 1907: 182 Egypt; ORDNANCE GB 1936: 183 GB - Great Britain; OLD HAWAI'IAN: 184 US - Hawaii Mean, 185 US - Hawaii, 186 US - Kauai, 187 US - Maui, 188 US - Oahu, 189 US - Hawaii, 190 US - Hawaii, 191 US - Kauai, 192 US - Maui, 193 US - Oahu; PALESTINE 1928: 194 Israel; AYABELLA LIGHTHOUSE: 195 Djibouti; PITCAIRN ASTRO 1967: 196 Pitcairn Island; PICO DE LAS NIEVES.: 197 Spain - Canary Islands; PORTO SANTO 1936.: 198 Portugal - Maderia; PROV. S AMERICAN 1956: 199 Bolivia, 200 Colombia, 201 Ecuador, 202 Guyana, 203 Chile North, 204 Peru, 205 South America, 206 Chile South, 207 Venezuela; POINT 58: 208 Burkina Faso & Niger; POINT NOIRE 1948: 209 Congo; PULKOVO 1942: 210 Russia, 211 Germany, 212 Estonia; PUERTO RICO & Virgin Is.: 213 Puerto Rico & Virgin Islands; QATAR NATIONAL 1974: 214 Qatar; QATAR NATIONAL 1995: 215 Qatar; QORNOQ : 216 Greenland South; DHDN (RAUENBERG),: 217 Germany; REUNION : 218 Mascarene Is; RT90: 219 Sweden; SANTO(DOS), 1965: 220 Vanuatu - Espirito Santo; SOUTH AMERICAN 1969: 221 Argentina, 222 Galapagos, 223 Bolivia, 224 Brazil, 225 Chile, 226 Colombia, 227 Ecuador, 228 Guyana, 229 Paraguay, 230 Peru, 231 South America, 232 Trinidad, 233 Venezuela; SAO BRAZ: 234 Santa Maria Islands; SAPPER HILL 1943 (2000 adj),: 235 Falkland Islands; SCHWARZECK: 236 Namibia; SOUTH EAST ISLAND: 237 Seychelles; SOVIET GEODETIC SYSTEM 85: 238 Russia; PZ90 (GLONASS),: 239 Russia; SELVAGEM GRANDE 1938: 240 Salvage Island; DOS 71/4: 241 St Helena; SIERRA LEONE DATUM 1960: 242 Sierra Leone; SIRGAS: 243 South America; SOUTH ASIA: 244 Singapore; S-42 (PULKOVO 1942),: 245 Albania; S-42 (PK42),: 246 Czechoslavakia; S-42 (PULKOVO 1942),: 247 Hungary, 248 Latvia; S-42 (PK 1942),: 249 Kazakhstan; SYSTEM 1942/58 (PULKOVO 1942),: 250 Poland; S-42 (PULKOVO 1942),: 251 Poland, 252 Romania, 253 Romania, 254 Afghanistan; TANANARIVE OBSERVATORY: 255 Madagascar; TRISTAN ASTRO 1968: 256 Tristan da Cunha; TETE: 257 Mozambique; TIMBALAI 1948 (Everest),: 258 Malaysia E & Brunei; TIMBALAI 1968,Adj of 1948: 259 Malaysia E & Brunei; TIMBALAI 1968, Adj of 1948: 260 Malaysia E & Brunei; TIMBALAI 1948 (Bessel),: 261 Malaysia E & Brunei; TOKYO: 262 Japan, 263 South Korea, 264 Japan - Okinawa; TERN ISLAND (FRIG), 1961: 265 Antarctica; VOIROL 1875: 266 Algeria; WAKE ISLAND ASTRO 1952: 267 Wake Island; WORLD GEODETIC SYSTEM 1972: 268 World; WORLD GEODETIC SYSTEM 1984: 269 World; YACARE : 270 Uruguay; ZANDERIJ: 271 Suriname.
'''

COUNTRY_LIST = '''
"Afghanistan", "Albania", "Algeria", "American Samoa", "Andorra", "Angola", "Anguilla", "Antarctica", "Antigua and Barbuda", "Argentina", "Armenia", "Aruba", "Australia", "Austria", "Azerbaijan", "Bahamas", "Bahrain", "Bangladesh", "Barbados", "Belarus", "Belgium", "Belize", "Benin", "Bermuda", "Bhutan", "Bolivia", "Bosnia and Herzegovina", "Botswana", "Brazil", "British Virgin Islands", "Brunei", "Bulgaria", "Burkina Faso", "Burma;Myanmar", "Burundi", "Cambodia", "Cameroon", "Canada", "Cape Verde", "Cayman Islands", "Central African Republic", "Chad", "Chile", "China", "Christmas Island", "Cocos Islands", "Colombia", "Comoros", "Congo, Democratic Republic of the", "Congo, Republic of the", "Cook Islands", "Costa Rica", "Cote d'Ivoire", "Croatia", "Cuba", "Cyprus", "Czech Republic", "Denmark", "Djibouti", "Dominica", "Dominican Republic", "East Timor;Timor Lestre", "Ecuador", "Egypt", "El Salvador", "Equatorial Guinea", "Eritrea", "Estonia", "Ethiopia", "Falkland Islands; Malvinas", "Faroe Islands", "Fiji", "Finland", "France", "French Guiana", "French Polynesia", "Gabon", "Gambia", "Georgia", "Germany", "Ghana", "Gibraltar", "Greece", "Greenland", "Grenada", "Guadeloupe", "Guam", "Guatemala", "Guernsey", "Guinea", "Guinea-Bissau", "Guyana", "Haiti", "Honduras", "Hungary", "Iceland", "India", "Indonesia", "Iran", "Iraq", "Ireland", "Israel", "Italy", "Jamaica", "Japan", "Jersey", "Jordan", "Kazakhstan", "Kenya", "Kiribati", "Korea, North", "Korea, South", "Kuwait", "Kyrgyzstan", "Laos", "Latvia", "Lebanon", "Lesotho", "Liberia", "Libya", "Liechtenstein", "Lithuania", "Luxembourg", "Macedonia", "Madagascar", "Malawi", "Malaysia", "Maldives", "Mali", "Malta", "Marshall Islands", "Martinique", "Mauritania", "Mauritius", "Mayotte", "Mexico", "Micronesia", "Moldova", "Monaco", "Mongolia", "Montenegro", "Montserrat", "Morocco", "Mozambique", "Namibia", "Nauru", "Nepal", "Netherlands", "Netherlands Antilles", "New Caledonia", "New Zealand", "Nicaragua", "Niger", "Nigeria", "Niue", "Norfolk Island", "Northern Mariana Islands", "Norway", "Oman", "Pakistan", "Palau", "Panama", "Papua New Guinea", "Paraguay", "Peru", "Philippines", "Poland", "Portugal", "Puerto Rico", "Qatar", "Reunion", "Romania", "Russia", "Rwanda", "Saint Helena", "Saint Kitts and Nevis", "Saint Lucia", "Saint Pierre and Miquelon", "Saint Vincent and the Grenadines", "Samoa", "San Marino", "Sao Tome and Principe", "Saudi Arabia", "Senegal", "Serbia and Montenegro", "Seychelles", "Sierra Leone", "Singapore", "Slovakia", "Slovenia", "Solomon Islands", "Somalia", "South Africa", "Spain", "Sri Lanka", "Sudan", "Suriname", "Svalbard", "Swaziland", "Sweden", "Switzerland", "Syria", "Taiwan", "Tajikistan", "Tanzania", "Thailand", "Togo", "Tonga", "Trinidad and Tobago", "Tunisia", "Turkey", "Turkmenistan", "Turks and Caicos Islands", "Tuvalu", "Uganda", "Ukraine", "United Arab Emirates", "United Kingdom", "United States", "Uruguay", "Uzbekistan", "Vanuatu", "Vatican", "Venezuela", "Vietnam", "Virgin Islands", "Wallis and Futuna", "Western Sahara", "Yemen", "Zambia", "Zimbabwe".
'''

# Datum names of the catalogue that differ from the EPSG name of the same datum.
DATUM_ALIASES = {
    'RD, AMERSFOORT': 'Amersfoort',
    'ARC 1950': 'Arc 1950', 'ARC 1960': 'Arc 1960',
    'AUSTRALIAN GEODETIC 1966': 'Australian Geodetic Datum 1966',
    'AUSTRALIAN GEODETIC 1984': 'Australian Geodetic Datum 1984',
    'DJAKARTA': 'Batavia',
    'BERNE (1898),': 'CH1903',
    'CH1903+': 'CH1903+',
    'S-JTSK': 'System of the Unified Trigonometrical Cadastral Network',
    'EUROPEAN DATUM 1950': 'European Datum 1950',
    'EUROPEAN 1979': 'European Datum 1979',
    'ETRF89': 'European Terrestrial Reference System 1989',
    'GEOCENTRIC DATUM AUSTRALIA': 'Geocentric Datum of Australia 1994',
    'GEODETIC DATUM 1949': 'New Zealand Geodetic Datum 1949',
    'GGRS87': 'Greek Geodetic Reference System 1987',
    'HARTEBEESTHOCK 1994': 'Hartebeesthoek94',
    'MGI DATUM/HERMANNSKOGEL': 'Militar-Geographische Institut',
    'HUNGARIAN DATUM 1972': 'Hungarian Datum 1972',
    'INDONESIAN 1974': 'Indonesian Datum 1974',
    'IRELAND 1965': 'TM65',
    'KOREAN GEODETIC SYSTEM 1995': 'Korean Datum 1995',
    'KKJ': 'Kartastokoordinaattijarjestelma (1966)',
    'LKS94': 'Lithuania 1994 (ETRS89)',
    'LUXEMBOURG NT': 'Luxembourg 1930',
    'NORTH AMERICAN 1983': 'North American Datum 1983',
    'NORTH AMERICAN 1927': 'North American Datum 1927',
    'NTF': 'Nouvelle Triangulation Francaise',
    'NGO 1948': 'NGO 1948',
    'BELGIUM DATUM 1972': 'Reseau National Belge 1972',
    'ORDNANCE GB 1936': 'Ordnance Survey of Great Britain 1936',
    'OLD HAWAI\'IAN': 'Old Hawaiian',
    'PROV. S AMERICAN 1956': 'Provisional South American Datum 1956',
    'PULKOVO 1942': 'Pulkovo 1942',
    'S-42 (PULKOVO 1942),': 'Pulkovo 1942(58)',
    'SYSTEM 1942/58 (PULKOVO 1942),': 'Pulkovo 1942(58)',
    'S-42 (PK42),': 'Pulkovo 1942(83)',
    'S-42 (PK 1942),': 'Pulkovo 1942',
    'PUERTO RICO & Virgin Is.': 'Puerto Rico',
    'QATAR NATIONAL 1974': 'Qatar 1974',
    'QATAR NATIONAL 1995': 'Qatar National Datum 1995',
    'DHDN (RAUENBERG),': 'Deutsches Hauptdreiecksnetz',
    'REUNION ': 'Reunion 1947',
    'RT90': 'Rikets koordinatsystem 1990',
    'SOUTH AMERICAN 1969': 'South American Datum 1969',
    'SOVIET GEODETIC SYSTEM 85': 'Soviet Geodetic System 1985',
    'PZ90 (GLONASS),': 'Parametry Zemli 1990',
    'SIRGAS': 'Sistema de Referencia Geocentrico para America del Sur 1995',
    'SIERRA LEONE DATUM 1960': 'Sierra Leone 1968',
    'TANANARIVE OBSERVATORY': 'Tananarive 1925',
    'TIMBALAI 1948 (Everest),': 'Timbalai 1948',
    'TOKYO': 'Tokyo',
    'VOIROL 1875': 'Voirol 1875',
    'WORLD GEODETIC SYSTEM 1972': 'World Geodetic System 1972',
    'WORLD GEODETIC SYSTEM 1984': 'World Geodetic System 1984',
    'YACARE ': 'Yacare',
    'KANDAWALA JACKSON?': 'Kandawala',
    'HONG KONG 1963': 'Hong Kong 1963',
    'HONG KONG 1980': 'Hong Kong 1980',
    'HU-TZU-SHAN': 'Hu Tzu Shan 1950',
    'CAPE': 'Cape', 'CARTHAGE': 'Carthage',
    'CORREGO ALEGRE': 'Corrego Alegre 1970-72',
    'CYPRUS 1935': 'Cyprus 1935',
    'ESTONIA 1937': 'Estonia 1937',
    'HERMANNSKOGEL': 'Hermannskogel',
    'KERTAU 1948': 'Kertau 1968',
    'LISBON (Castelo di Sao Jorge), D7': 'Lisbon 1937',
    'LUZON': 'Luzon 1911',
    'MAHE 1971': 'Mahe 1971',
    'MERCHICH': 'Merchich',
    'M\'PORALOKO': 'M\'poraloko',
    'NAHRWAN': 'Nahrwan 1967',
    'NORTH SAHARA 1959': 'Nord Sahara 1959',
    'OLD EGYPTIAN 1907': 'Egypt 1907',
    'PALESTINE 1928': 'Palestine 1923',
    'POINT 58': 'Point 58',
    'POINT NOIRE 1948': 'Congo 1960 Pointe Noire',
    'ROME 1940': 'Monte Mario',
    'SAPPER HILL 1943 (2000 adj),': 'Sapper Hill 1943',
    'TETE': 'Tete',
    'VITI LEVU 1916': 'Viti Levu 1912',
    'ZANDERIJ': 'Zanderij',
    'HELSINKI, KALLIO CHURCH': 'Helsinki',
    'OBSERVATOROI': 'Moznet (ITRF94)',
    'GUNUNG SEGARA': 'Gunung Segara',
    'INDIAN': 'Indian 1916',
    'INDIAN 1954': 'Indian 1954', 'INDIAN 1960': 'Indian 1960',
    '1 INDIAN 1975': 'Indian 1975',
    'MINNA': 'Minna', 'LEIGON': 'Leigon', 'MASSAWA': 'Massawa',
    'FAHUD': 'Fahud', 'DABOLA': 'Dabola 1981', 'BISSAU': 'Bissau',
    'CAMPO INCHAUSPE 1969': 'Campo Inchauspe',
    'CHATHAM ISLAND ASTRO 1971': 'Chatham Islands Datum 1971',
    'ADINDAN': 'Adindan', 'AIN EL ABD 1970': 'Ain el Abd 1970',
    'BERMUDA 1957': 'Bermuda 1957', 'BOGOTA OBSERVATORY': 'Bogota 1975',
    'DECEPTION ISLAND': 'Deception Island',
    'HERAT NORTH': 'Herat North', 'HITO XVIII 1963': 'Hito XVIII 1963',
    'HJORSEY 1955': 'Hjorsey 1955', 'LIBERIA 1964': 'Liberia 1964',
    'NAPARIMA': 'Naparima 1972', 'QORNOQ ': 'Qornoq',
    'SCHWARZECK': 'Schwarzeck', 'TRISTAN ASTRO 1968': 'Tristan 1968',
    'GAN 1970': 'Gan 1970', 'GUAM 1963': 'Guam 1963',
    'EASTER ISLAND 1967': 'Easter Island 1967',
    'AMERICAN SAMOA 1962': 'American Samoa 1962',
    'ASCENSION ISLAND 1958': 'Ascension Island 1958',
    'BEKAA BASE SOUTH END': 'Bekaa Valley 1920',
    'GRACIOSA BASE SW 1948': 'Azores Central Islands 1948',
    'SAO BRAZ': 'Azores Oriental Islands 1940',
    'OBSERVATORIO MET. 1939': 'Azores Occidental Islands 1939',
    'PORTO SANTO 1936.': 'Porto Santo 1936',
    'SELVAGEM GRANDE 1938': 'Selvagem Grande',
    'PICO DE LAS NIEVES.': 'Pico de las Nieves 1984',
    'SOUTH ASIA': 'South Asia Singapore',
    'AYABELLA LIGHTHOUSE': 'Ayabelle Lighthouse',
    'TIMBALAI 1968,Adj of 1948': 'Timbalai 1948',
    'TIMBALAI 1968, Adj of 1948': 'Timbalai 1948',
    'TIMBALAI 1948 (Bessel),': 'Timbalai 1948',
    'JOHNSTON ISLAND 1961': 'Johnston Island 1961',
    'MIDWAY ASTRO 1961': 'Midway 1961',
    'WAKE ISLAND ASTRO 1952': 'Wake Island 1952',
    'KUSAIE ASTRO 1951': 'Kusaie 1951',
    'FORT THOMAS 1955': 'St. Kitts 1955',
    'MONTSERRAT IS. ASTRO 1958': 'Montserrat 1958',
    'ANTIGUA ISLAND ASTRO 1943': 'Antigua 1943',
    'DOS 71/4': 'St. Helena Tritan',
    'DOS 1968': 'DOS 1968', 'GUX 1 ASTRO': 'GUX 1',
    'ISTS 061 ASTRO 1968': 'ISTS 061 Astro 1968',
    'ISTS 073 ASTRO 1969': 'ISTS 073 Astro 1969',
    'KERGUELEN ISLAND 1949': 'Kerguelen Island 1949',
    'LC5 ASTRO 1961': 'Cayman Brac 1961',
    'PITCAIRN ASTRO 1967': 'Pitcairn 1967',
    'SANTO(DOS), 1965': 'Santo 1965',
    'BELLEVUE (IGN),': 'Bellevue',
    'WAKE-ENIWETOK 1960': 'Marshall Islands 1960',
    'ASTRO STATION 1952': 'Marcus Island 1952',
    'ASTRO BACON E 1845': 'Iwo Jima 1945',
    'ANNA 1 ASTRO 1965': 'Cocos Islands 1965',
    'CANTON ASTRO 1966': 'Phoenix Islands 1966',
    'CAMP AREA ASTRO': 'Camp Area Astro',
    'CHUA ASTRO': 'Chua', 'BUKIT RIMPAH': 'Bukit Rimpah',
    'CAPE CANAVERAL': 'Cape Canaveral', 'SOUTH EAST ISLAND': 'South East Island 1943',
    'TERN ISLAND (FRIG), 1961': 'Tern Island 1961',
    'IRAQ-KUWAIT BOUNDARY 1992': 'Iraq-Kuwait Boundary Datum 1992',
}

# Rows whose values the catalogue fixes itself (identity rows and reference rows):
# (ellipsoid, dX, dY, dZ, scale ppm, rx, ry, rz arc seconds, position vector).
ROW_FIXED = {
    1: ('gelWarOffice', -199, 32, 322, 0, 0, 0, 0),
    13: ('gelBess41', 565, 49.9, 465.8, 4.08, -0.409, 0.36, -1.869),
    59: ('gelInt24', -87, -98, -121, 0, 0, 0, 0),
    86: (None, 0, 0, 0, 0, 0, 0, 0),
    91: (None, 0, 0, 0, 0, 0, 0, 0),
    268: ('gelWGS72', 0, 0, 4.5, 0.219, 0, 0, 0.554),
    269: ('gelWGS84', 0, 0, 0, 0, 0, 0, 0),
}

STOP = {'and', 'the', 'of', 'except', 'mean', 'is', 'islands', 'island', 'rep'}


def parse_datums():
    text = ' '.join(DATUM_LIST.split())
    if text.endswith('.'):
        text = text[:-1]
    rows = {}
    for seg in text.split('; '):
        m = re.match(r'^(.*?): (\d+ .*)$', seg)
        name, rest = m.group(1), m.group(2)
        for num, region in re.findall(r'(\d+) (.*?)(?=, \d+ |$)', rest):
            rows[int(num)] = (name, region)
    assert sorted(rows) == list(range(1, 272)), 'datum rows'
    return rows


def norm(s):
    return re.sub(r'[^a-z0-9+]', '', s.lower())


def words(s):
    return {w for w in re.findall(r'[a-z]{3,}', s.lower()) if w not in STOP}


def ellipsoid_for(a, b):
    best, bestd = None, 1e9
    for i, (ident, ea, eb) in enumerate(ELLIPSOIDS):
        d = abs(ea - a) + abs(eb - b)
        if d < bestd:
            best, bestd = ident, d
    return best if bestd < 0.5 else None


def datum_table():
    db = sqlite3.connect(PROJ_DB)
    names = {}
    for code, name in db.execute("select code, name from geodetic_datum where auth_name='EPSG'"):
        names.setdefault(norm(name), code)
    for code, alt in db.execute(
            "select code, alt_name from alias_name where table_name='geodetic_datum' "
            "and auth_name='EPSG'"):
        names.setdefault(norm(alt), code)
    wgs84_crs = {c for (c,) in db.execute(
        "select code from geodetic_crs where auth_name='EPSG' and datum_code=6326")}
    rows = parse_datums()
    out = []
    report = []
    for ix in range(1, 272):
        dname, region = rows[ix]
        key = DATUM_ALIASES.get(dname, dname)
        code = names.get(norm(key))
        ell = None
        params = None
        source = 'unknown'
        if code is not None:
            ecode, = db.execute("select ellipsoid_code from geodetic_datum where auth_name='EPSG' "
                                "and code=?", (code,)).fetchone()
            a, invf, bm = db.execute("select semi_major_axis, inv_flattening, semi_minor_axis "
                                     "from ellipsoid where auth_name='EPSG' and code=?",
                                     (ecode,)).fetchone()
            b = bm if bm is not None else (a * (1 - 1 / invf) if invf else a)
            ell = ellipsoid_for(a, b)
            crs = [c for (c,) in db.execute("select code from geodetic_crs where auth_name='EPSG' "
                                            "and datum_code=?", (code,))]
            cands = []
            for crow in db.execute(
                    "select h.code, h.name, h.method_code, h.tx, h.ty, h.tz, h.rx, h.ry, h.rz, "
                    "h.scale_difference, h.accuracy, h.translation_uom_code, h.rotation_uom_code, "
                    "h.scale_difference_uom_code, h.source_crs_code, h.target_crs_code "
                    "from helmert_transformation_table h where h.auth_name='EPSG' and h.deprecated=0 "
                    "and h.source_crs_auth_name='EPSG' and h.target_crs_auth_name='EPSG' "
                    "and h.method_code in (9603, 9606, 9607, 1031, 1032, 1033) "
                    "and h.rate_tx is null"):
                if crow[14] in crs and crow[15] in wgs84_crs:
                    ext = ' '.join(n for (n,) in db.execute(
                        "select e.name from usage u join extent e on e.auth_name=u.extent_auth_name "
                        "and e.code=u.extent_code where u.object_table_name='helmert_transformation' "
                        "and u.object_auth_name='EPSG' and u.object_code=?", (crow[0],)))
                    cands.append((crow, ext))
            rw = words(region)
            scored = []
            for crow, ext in cands:
                ok_units = crow[11] == 9001 and crow[12] in (None, 9104) and crow[13] in (None, 9202)
                if not ok_units:
                    continue
                score = len(rw & words(ext))
                acc = crow[10] if crow[10] is not None else 99.0
                scored.append((score, -acc, crow, ext))
            if scored:
                scored.sort(key=lambda t: (t[0], t[1]), reverse=True)
                score, _, crow, ext = scored[0]
                if score > 0 or len({c[2][0] for c in scored}) == 1 or len(rw) == 0:
                    tx, ty, tz = crow[3], crow[4], crow[5]
                    rx, ry, rz = (crow[6] or 0.0), (crow[7] or 0.0), (crow[8] or 0.0)
                    sc = crow[9] or 0.0
                    if crow[2] in (9607, 1032):  # coordinate frame -> position vector
                        rx, ry, rz = -rx, -ry, -rz
                    params = (tx, ty, tz, sc, rx, ry, rz)
                    source = 'EPSG:%d %s [%s]' % (crow[0], crow[1], ext)
        if ix in ROW_FIXED:
            f = ROW_FIXED[ix]
            if f[0] is not None:
                ell = f[0]
            params = f[1:]
            source = 'fixed by the catalogue'
        if params is None or ell is None:
            params = None
            source = 'unknown' if code is None else source + ' (no usable shift)'
        out.append((ix, dname, region, ell or 'gelWGS84', params))
        report.append('%3d %-34s %-36s %s' % (ix, dname, region, source))
    return out, report


def c_str(s):
    return '"' + s.replace('\\', '\\\\').replace('"', '\\"') + '"'


def num(v):
    if v is None or (isinstance(v, float) and math.isnan(v)):
        return 'NaN'
    r = repr(float(v))
    return r


COUNTRY_ALIASES = {
    'Congo, Democratic Republic of the': 'CD', 'Congo, Republic of the': 'CG',
    'Korea, North': 'KP', 'Korea, South': 'KR', 'Netherlands Antilles': 'AN',
    'Serbia and Montenegro': 'CS', 'Svalbard': 'SJ', 'Turkey': 'TR',
    'Virgin Islands': 'VI', 'Georgia': 'GE', 'Guinea': 'GN', 'Samoa': 'WS',
    'Micronesia': 'FM', 'Macedonia': 'MK', 'Dominica': 'DM', 'Niger': 'NE',
    'Saint Helena': 'SH', 'Burma;Myanmar': 'MM', 'East Timor;Timor Lestre': 'TL',
    'Falkland Islands; Malvinas': 'FK', 'Cocos Islands': 'CC', 'Vatican': 'VA',
}

COUNTRY_FIXED = {  # FIPS, lat, long, capital, cap lat, cap long, altitude
    'Afghanistan': ('af', 33.0, 65.0, 'Kabul', 34.5309, 69.1368, 1807),
    'Antarctica': ('ay', -90.0, 0.0, '', -90.0, 0.0, 0),
    'Germany': ('gm', 51.0, 9.0, 'Berlin', 52.5163, 13.3276, 34),
    'Netherlands': ('nl', 52.5, 5.75, 'Amsterdam', 52.373, 4.8948, -1),
    'United States': ('us', 38.0, -97.0, 'Washington, DC', 38.9051, -77.0162, 2),
}


def tz_coord(s):
    m = re.match(r'([+-])(\d{2})(\d{2})(\d{2})?([+-])(\d{3})(\d{2})(\d{2})?$', s)
    lat = int(m.group(2)) + int(m.group(3)) / 60 + int(m.group(4) or 0) / 3600
    lon = int(m.group(6)) + int(m.group(7)) / 60 + int(m.group(8) or 0) / 3600
    return (-lat if m.group(1) == '-' else lat), (-lon if m.group(5) == '-' else lon)


def country_table(wc_path):
    names = re.findall(r'"([^"]*)"', COUNTRY_LIST)
    assert len(names) == 231
    iso = json.load(open(ISO1, encoding='utf-8'))['3166-1']
    iso3 = json.load(open(ISO3, encoding='utf-8'))['3166-3']
    wc = json.load(open(wc_path, encoding='utf-8'))
    by2 = {e['alpha_2']: e for e in iso}
    old = {e['alpha_2']: e for e in iso3 if 'alpha_2' in e}
    wc2 = {c['cca2']: c for c in wc}
    idx = {}
    for e in iso:
        for k in ('name', 'common_name', 'official_name'):
            if k in e:
                idx.setdefault(norm(e[k]), e['alpha_2'])
    for c in wc:
        idx.setdefault(norm(c['name']['common']), c['cca2'])
        idx.setdefault(norm(c['name']['official']), c['cca2'])
        for alt in c['altSpellings']:
            idx.setdefault(norm(alt), c['cca2'])
    zones = {}
    for line in open(ZONETAB, encoding='utf-8'):
        if line.startswith('#'):
            continue
        cc, coord, tz = line.split('\t')[:3]
        city = tz.strip().split('/')[-1].replace('_', ' ')
        zones.setdefault(cc, []).append((city, tz_coord(coord)))
    out, report = [], []
    for n in names:
        a2 = COUNTRY_ALIASES.get(n)
        if a2 is None:
            a2 = next(idx[norm(p)] for p in n.split(';') if norm(p) in idx)
        e = by2.get(a2) or old.get(a2)
        a3 = e['alpha_3']
        c = wc2.get(a2)
        lat = lon = float('nan')
        cap, clat, clon, alt, fips = '', float('nan'), float('nan'), None, ''
        src = []
        if c is not None and a2 not in ('AN', 'CS'):
            lat, lon = float(c['latlng'][0]), float(c['latlng'][1])
            cap = c['capital'][0] if c['capital'] else ''
            for city, (zl, zo) in zones.get(a2, []):
                if norm(city) == norm(cap):
                    clat, clon = zl, zo
                    src.append('capital position tzdata')
        if n in COUNTRY_FIXED:
            fips, lat, lon, cap, clat, clon, alt = COUNTRY_FIXED[n]
            src = ['fixed by the catalogue']
        out.append((n, fips, a2.lower(), a3.lower(), lat, lon, cap, clat, clon, alt))
        report.append('%-36s %s %s %-28s %s' % (n, a2, a3, cap, ', '.join(src)))
    return out, report


def main():
    wc_path = sys.argv[1] if len(sys.argv) > 1 else 'node_modules/world-countries/countries.json'
    datums, drep = datum_table()
    countries, crep = country_table(wc_path)
    lines = ['// Generated by scripts/geo/make_tables.py; do not edit.',
             '// Sources and licences: docs/geo-data-sources.md.', '',
             'namespace {', 'const TDatumRec DatumData[DatumCount] = {']
    for ix, dname, region, ell, p in datums:
        assert len(dname) <= 33 and len(region) <= 35
        vals = ', '.join(num(v) for v in p) if p else ', '.join(['NaN'] * 7)
        lines.append('    {%s, %s, %s, %s},  // %d' % (c_str(dname), c_str(region), ell, vals, ix))
    lines += ['};', '}  // namespace', '', 'const TCountryRec CountryData[CountryCount] = {']
    for n, fips, a2, a3, lat, lon, cap, clat, clon, alt in countries:
        cap = cap[:31]
        lines.append('    {%s, %s, %s, %s, %s, %s, %s, %s, %s, %s},' % (
            c_str(n), c_str(fips), c_str(a2), c_str(a3), num(lat), num(lon), c_str(cap),
            num(clat), num(clon), 'CapAltitudeUnknown' if alt is None else str(alt)))
    lines += ['};', '']
    with open(OUT, 'w', encoding='utf-8') as f:
        f.write('\n'.join(lines))
    with open(os.path.join(HERE, 'tables_report.txt'), 'w', encoding='utf-8') as f:
        f.write('Datum rows and the EPSG transformation each was taken from\n')
        f.write('\n'.join(drep) + '\n\nCountry rows\n' + '\n'.join(crep) + '\n')
    known = sum(1 for d in datums if d[4])
    print('datums with known shift: %d of 271' % known)


if __name__ == '__main__':
    main()
