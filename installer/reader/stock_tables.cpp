// The contents of the stock tables (see stock_tables.h).
#include "stock_tables.h"

#include "plain_text.h"

namespace wrenfield {

// ROLLER and DODO end in a tab, which takes part in every comparison.
const std::array<const char*, kStockHandlingIdCount> StockHandlingIds = {
    "LANDSTAL",  "BRAVURA",   "BUFFALO",   "LINERUN",   "PEREN",    "SENTINEL", "DUMPER",
    "FIRETRUK",  "TRASH",     "STRETCH",   "MANANA",    "INFERNUS", "VOODOO",   "PONY",
    "MULE",      "CHEETAH",   "AMBULAN",   "MOONBEAM",  "ESPERANT", "TAXI",     "WASHING",
    "BOBCAT",    "MRWHOOP",   "BFINJECT",  "PREMIER",   "ENFORCER", "SECURICA", "BANSHEE",
    "BUS",       "RHINO",     "BARRACKS",  "HOTKNIFE",  "ARTICT1",  "PREVION",  "COACH",
    "CABBIE",    "STALLION",  "RUMPO",     "RCBANDIT",  "ROMERO",   "PACKER",   "MONSTER",
    "ADMIRAL",   "TRAM",      "AIRTRAIN",  "ARTICT2",   "TURISMO",  "FLATBED",  "YANKEE",
    "GOLFCART",  "SOLAIR",    "TOPFUN",    "GLENDALE",  "OCEANIC",  "PATRIOT",  "HERMES",
    "SABRE",     "ZR350",     "WALTON",    "REGINA",    "COMET",    "BURRITO",  "CAMPER",
    "BAGGAGE",   "DOZER",     "RANCHER",   "FBIRANCH",  "VIRGO",    "GREENWOO", "HOTRING",
    "SANDKING",  "BLISTAC",   "BOXVILLE",  "BENSON",    "MESA",     "BLOODRA",  "BLOODRB",
    "SUPERGT",   "ELEGANT",   "JOURNEY",   "PETROL",    "RDTRAIN",  "NEBULA",   "MAJESTIC",
    "BUCCANEE",  "CEMENT",    "TOWTRUCK",  "FORTUNE",   "CADRONA",  "FBITRUCK", "WILLARD",
    "FORKLIFT",  "TRACTOR",   "COMBINE",   "FELTZER",   "REMINGTN", "SLAMVAN",  "BLADE",
    "FREIGHT",   "STREAK",    "VINCENT",   "BULLET",    "CLOVER",   "SADLER",   "RANGER",
    "HUSTLER",   "INTRUDER",  "PRIMO",     "TAMPA",     "SUNRISE",  "MERIT",    "UTILITY",
    "YOSEMITE",  "WINDSOR",   "MTRUCK_A",  "MTRUCK_B",  "URANUS",   "JESTER",   "SULTAN",
    "STRATUM",   "ELEGY",     "RCTIGER",   "FLASH",     "TAHOMA",   "SAVANNA",  "BANDITO",
    "FREIFLAT",  "CSTREAK",   "KART",      "MOWER",     "DUNE",     "SWEEPER",  "BROADWAY",
    "TORNADO",   "DFT30",     "HUNTLEY",   "STAFFORD",  "NEWSVAN",  "TUG",      "PETROTR",
    "EMPEROR",   "FLOAT",     "EUROS",     "HOTDOG",    "CLUB",     "ARTICT3",  "RCCAM",
    "POLICE_LA", "POLICE_SF", "POLICE_VG", "POLRANGER", "PICADOR",  "SWATVAN",  "ALPHA",
    "PHOENIX",   "BAGBOXA",   "BAGBOXB",   "STAIRS",    "BOXBURG",  "FARM_TR1", "UTIL_TR1",
    "ROLLER\t",  "BIKE",      "MOPED",     "DIRTBIKE",  "FCR900",   "NRG500",   "HPV1000",
    "BF400",     "WAYFARER",  "QUADBIKE",  "BMX",       "CHOPPERB", "MTB",      "FREEWAY",
    "PREDATOR",  "SPEEDER",   "REEFER",    "RIO",       "SQUALO",   "TROPIC",   "COASTGRD",
    "DINGHY",    "MARQUIS",   "CUPBOAT",   "LAUNCH",    "SEAPLANE", "VORTEX",   "RUSTLER",
    "BEAGLE",    "CROPDUST",  "STUNT",     "SHAMAL",    "HYDRA",    "NEVADA",   "AT400",
    "ANDROM",    "DODO\t",    "SPARROW",   "SEASPAR",   "MAVERICK", "COASTMAV", "POLMAV",
    "HUNTER",    "LEVIATHN",  "CARGOBOB",  "RAINDANC",  "RCBARON",  "RCGOBLIN", "RCRAIDER",
};

const std::array<const char*, kStockModelNameCount> StockModelNames = {
    "landstal", "bravura",  "buffalo",  "linerun",  "peren",    "sentinel", "dumper",   "firetruk",
    "trash",    "stretch",  "manana",   "infernus", "voodoo",   "pony",     "mule",     "cheetah",
    "ambulan",  "leviathn", "moonbeam", "esperant", "taxi",     "washing",  "bobcat",   "mrwhoop",
    "bfinject", "hunter",   "premier",  "enforcer", "securica", "banshee",  "predator", "bus",
    "rhino",    "barracks", "hotknife", "artict1",  "previon",  "coach",    "cabbie",   "stallion",
    "rumpo",    "rcbandit", "romero",   "packer",   "monster",  "admiral",  "squalo",   "seaspar",
    "pizzaboy", "tram",     "artict2",  "turismo",  "speeder",  "reefer",   "tropic",   "flatbed",
    "yankee",   "caddy",    "solair",   "topfun",   "skimmer",  "pcj600",   "faggio",   "freeway",
    "rcbaron",  "rcraider", "glendale", "oceanic",  "sanchez",  "sparrow",  "patriot",  "quad",
    "coastg",   "dinghy",   "hermes",   "sabre",    "rustler",  "zr350",    "walton",   "regina",
    "comet",    "bmx",      "burrito",  "camper",   "marquis",  "baggage",  "dozer",    "maverick",
    "vcnmav",   "rancher",  "fbiranch", "virgo",    "greenwoo", "jetmax",   "hotring",  "sandking",
    "blistac",  "polmav",   "boxville", "benson",   "mesa",     "rcgoblin", "hotrina",  "hotrinb",
    "bloodra",  "rnchlure", "supergt",  "elegant",  "journey",  "bike",     "mtbike",   "beagle",
    "cropdust", "stunt",    "petro",    "rdtrain",  "nebula",   "majestic", "buccanee", "shamal",
    "hydra",    "fcr900",   "nrg500",   "copbike",  "cement",   "towtruck", "fortune",  "cadrona",
    "fbitruck", "willard",  "forklift", "tractor",  "combine",  "feltzer",  "remingtn", "slamvan",
    "blade",    "freight",  "streak",   "vortex",   "vincent",  "bullet",   "clover",   "sadler",
    "firela",   "hustler",  "intruder", "primo",    "cargobob", "tampa",    "sunrise",  "merit",
    "utility",  "nevada",   "yosemite", "windsor",  "monstera", "monsterb", "uranus",   "jester",
    "sultan",   "stratum",  "elegy",    "raindanc", "rctiger",  "flash",    "tahoma",   "savanna",
    "bandito",  "freiflat", "streakc",  "kart",     "mower",    "duneride", "sweeper",  "broadway",
    "tornado",  "at400",    "dft30",    "huntley",  "stafford", "bf400",    "newsvan",  "tug",
    "petrotr",  "emperor",  "wayfarer", "euros",    "hotdog",   "club",     "freibox",  "artict3",
    "androm",   "dodo",     "rccam",    "launch",   "copcarla", "copcarsf", "copcarvg", "copcarru",
    "picador",  "swatvan",  "alpha",    "phoenix",  "glenshit", "sadlshit", "bagboxa",  "bagboxb",
    "tugstair", "boxburg",  "farmtr1",  "utiltr1",
};

const std::array<const char*, kUpgradePartNameCount> UpgradePartNames = {
    "spl_b_mar_m",    "spl_b_bab_m",  "spl_b_bar_m",  "spl_b_mab_m",    "bnt_b_sc_m",
    "bnt_b_sc_l",     "rf_b_sc_r",    "wg_l_b_ssk",   "nto_b_l",        "nto_b_s",
    "nto_b_tw",       "bnt_b_sc_p_m", "bnt_b_sc_p_l", "lgt_b_rspt",     "spl_b_bar_l",
    "spl_b_bbr_l",    "spl_b_bbr_m",  "wg_r_b_ssk",   "exh_b_ts",       "exh_b_t",
    "exh_b_l",        "exh_b_m",      "exh_b_s",      "spl_b_bbb_m",    "lgt_b_sspt",
    "wheel_or1",      "wg_l_a_s",     "wg_r_a_s",     "exh_a_s",        "exh_c_s",
    "wg_r_c_s",       "wg_l_c_s",     "rf_a_s",       "rf_c_s",         "exh_a_l",
    "rf_c_l",         "wg_l_a_l",     "exh_c_l",      "rf_a_l",         "wg_l_c_l",
    "wg_r_a_l",       "wg_r_c_l",     "wg_l_lr_br1",  "exh_lr_br2",     "exh_lr_br1",
    "exh_c_f",        "exh_a_f",      "wg_l_a_f",     "wg_l_c_f",       "spl_a_f_r",
    "spl_c_f_r",      "wg_r_a_f",     "wg_r_c_f",     "rf_c_f",         "rf_a_f",
    "rf_a_st",        "wg_l_a_st",    "wg_l_c_st",    "spl_a_st_r",     "exh_c_st",
    "spl_c_st_r",     "rf_c_st",      "wg_r_a_st",    "wg_r_c_st",      "exh_a_st",
    "exh_a_j",        "exh_c_j",      "rf_a_j",       "rf_c_j",         "wg_l_a_j",
    "wg_l_c_j",       "wg_r_a_j",     "wg_r_c_j",     "wheel_sr6",      "wheel_sr3",
    "wheel_sr2",      "wheel_lr4",    "wheel_lr1",    "wheel_lr3",      "wheel_sr1",
    "wheel_sr5",      "wheel_sr4",    "wheel_gn1",    "wheel_lr2",      "wheel_lr5",
    "wheel_gn2",      "stereo",       "hydralics",    "rf_a_u",         "exh_c_u",
    "wg_l_a_u",       "rf_c_u",       "exh_a_u",      "wg_l_c_u",       "wg_r_a_u",
    "wg_r_c_u",       "wheel_gn3",    "wheel_gn4",    "wheel_gn5",      "wg_r_lr_br1",
    "misc_c_lr_rem1", "wg_r_lr_rem1", "wg_r_lr_sv",   "rf_lr_bl2",      "exh_lr_bl1",
    "exh_lr_bl2",     "wg_l_lr_rem2", "wg_r_lr_bl1",  "wg_l_lr_bl1",    "bbb_lr_slv1",
    "bbb_lr_slv2",    "bnt_lr_slv1",  "bnt_lr_slv2",  "exh_lr_slv1",    "exh_lr_slv2",
    "fbb_lr_slv1",    "fbb_lr_slv2",  "fbmp_lr_slv1", "wg_l_lr_slv1",   "wg_l_lr_slv2",
    "wg_r_lr_slv1",   "wg_r_lr_slv2", "wg_l_lr_rem1", "misc_c_lr_rem2", "wg_r_lr_rem2",
    "misc_c_lr_rem3", "exh_lr_rem1",  "exh_lr_rem2",  "rf_lr_bl1",      "exh_lr_sv1",
    "rf_lr_sv1",      "rf_lr_sv2",    "exh_lr_sv2",   "wg_l_lr_sv",     "wg_l_lr_t1",
    "exh_lr_t2",      "exh_lr_t1",    "wg_r_lr_t1",   "spl_a_s_b",      "spl_c_s_b",
    "rbmp_c_s",       "rbmp_a_s",     "bntr_b_ov",    "bntl_b_ov",      "bntr_b_sq",
    "bntl_b_sq",      "spl_c_l_b",    "spl_a_l_b",    "rbmp_c_l",       "rbmp_a_l",
    "rbmp_a_f",       "rbmp_c_f",     "fbmp_c_f",     "fbmp_a_f",       "rbmp_a_st",
    "fbmp_a_st",      "rbmp_c_st",    "fbmp_c_st",    "spl_c_j_b",      "rbmp_a_j",
    "fbmp_a_j",       "rbmp_c_j",     "spl_a_j_b",    "spl_c_u_b",      "spl_a_u_b",
    "fbmp_c_u",       "fbmp_a_u",     "rbmp_c_u",     "rbmp_a_u",       "fbmp_a_s",
    "fbmp_c_s",       "fbmp_a_l",     "fbmp_c_l",     "fbmp_c_j",       "fbmp_lr_br1",
    "fbmp_lr_br2",    "rbmp_lr_br1",  "rbmp_lr_br2",  "rbmp_lr_rem2",   "fbmp_lr_rem1",
    "rbmp_lr_rem1",   "fbmp_lr_bl2",  "fbmp_lr_bl1",  "rbmp_lr_bl2",    "rbmp_lr_bl1",
    "fbmp_lr_rem2",   "rbmp_lr_sv2",  "rbmp_lr_sv1",  "fbmp_lr_sv2",    "fbmp_lr_sv1",
    "fbmp_lr_t2",     "fbmp_lr_t1",   "rbmp_lr_t1",   "rbmp_lr_t2",
};

int VehicleIdOf(const std::string& handlingId) {
  const std::string lower = AsciiLowerCase(handlingId);
  for (std::size_t j = 0; j < StockModelNames.size(); ++j) {
    if (lower == StockModelNames[j]) return kFirstVehicleId + static_cast<int>(j);
  }
  return -1;
}

}  // namespace wrenfield
