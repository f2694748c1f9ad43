// Relays, switches, connectors and sockets, connections and boards, rotating
// devices and tubes: hand-worked handbook values as rows of settings, and the
// rules of each class the registry walk does not know.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "core/misc_part.hpp"
#include "core/whatif.hpp"
#include "models/model_test_support.hpp"
#include "support/golden.hpp"
#include "models/micro_electromech/circuit_board.hpp"
#include "models/micro_electromech/connector.hpp"
#include "models/micro_electromech/relay.hpp"
#include "models/micro_electromech/switch.hpp"
#include "models/micro_electromech/tube.hpp"

namespace kestrel {
namespace {

using test::imported;
using test::near;
using test::Row;

// Mechanical relays: lambda_b by rating (Ea/k 2204.944 K for 85 C, 1972.844 K for 125 C), pi_L =
// exp((S / d)^2) with d 0.8 resistive, 0.4 inductive, 0.2 lamp; cycling R / 10 from 1 cycle/h for MIL
// qualities, 1.0 below 10, R / 10 to 1000 and (R / 100)^2 above for commercial ones.
constexpr Row kRelayRates[] = {
    // General purpose, armature (long) 3, SPST 1.0, 125 C at 25 C: 0.0059; resistive 50 %: exp(0.390625)
    // = 1.477904; MIL(Non-ER) 1.5, 1 cycle/h 0.1; FR = 0.0059 x 1.477904 x 1 x 0.1 x 3 x 1.5 = 0.0039238
    {"CRelay",
     "RELAY_TYPE=2; RELAY_CONSTR=1; RELAY_CONTACT=1; RELAY_RATING=2; RELAY_QU=7; RELAY_LOAD=1; "
     "RELAY_STRESSMODE=2; RELAY_ISTRESS=50; RELAY_RATE=1; RELAY_TRISE=0",
     "LB=0.0059 PIL=1.477904 PIC=1 PICYC=0.1 PIF=3 PIQ=1.5 PIE=1 FR=0.0039238 T=25 S=50 OVER=0"},
    // Dry circuit, dry reed 6, DPDT 3.0, 85 C rating at 60 + 20: 0.0059 exp(1.152843) = 0.018686;
    // inductive 30 %: exp(0.5625) = 1.755055; R 0.1, 50 cycles/h: 5; AIF 9; FR = 2.656440
    {"CRelay",
     "RELAY_TYPE=1; RELAY_CONSTR=2; RELAY_CONTACT=6; RELAY_RATING=1; RELAY_QU=1; RELAY_LOAD=2; "
     "RELAY_STRESSMODE=2; RELAY_ISTRESS=30; RELAY_RATE=50; RELAY_TRISE=20; TA=60; ENV=7",
     "LB=0.018686 PIL=1.755055 PIC=3 PICYC=5 PIF=6 PIQ=0.1 PIE=9 FR=2.656440 T=80 S=30"},
    // Contactor, solenoid 5, 6PDT 8.0, 125 C rating at 50 C: 0.0059 exp(0.512410) = 0.0098489; lamp 20 %:
    // e; Commercial 2.9 at 1500 cycles/h: (1500/100)^2 = 225; ARW 46; FR = 32142.5
    {"CRelay",
     "RELAY_TYPE=12; RELAY_CONSTR=4; RELAY_CONTACT=9; RELAY_RATING=2; RELAY_QU=8; RELAY_LOAD=3; "
     "RELAY_STRESSMODE=2; RELAY_ISTRESS=20; RELAY_RATE=1500; RELAY_TRISE=10; TA=40; ENV=10",
     "LB=0.0098489 PIL=2.718282 PIC=8 PICYC=225 PIF=5 PIQ=2.9 PIE=46 FR=32142.5"},
    // Thermal time delay: fixed pi_F 10; SPDT 1.75; U 0.6; 20 cycles/h 2.0; GF 2; FR = 0.2478
    {"CRelay",
     "RELAY_TYPE=7; RELAY_CONTACT=3; RELAY_RATING=2; RELAY_QU=4; RELAY_LOAD=1; RELAY_STRESSMODE=2; "
     "RELAY_ISTRESS=0; RELAY_RATE=20; ENV=2",
     "LB=0.0059 PIL=1 PIC=1.75 PICYC=2 PIF=10 PIQ=0.6 PIE=2 FR=0.2478"},
    // Electronic time delay: fixed pi_F 9; 4PST 2.5; inductive 40 %: e; NS 8; FR = 0.288682
    {"CRelay",
     "RELAY_TYPE=8; RELAY_CONTACT=5; RELAY_RATING=1; RELAY_QU=5; RELAY_LOAD=2; RELAY_STRESSMODE=2; "
     "RELAY_ISTRESS=40; RELAY_RATE=1; ENV=4",
     "PIL=2.718282 PIC=2.5 PICYC=0.1 PIF=9 PIQ=1 PIE=8 FR=0.288682"},
    // Magnetic latching, mercury wetted 5; 3PST 2.0; L 1.5; resistive 80 %: e; 0.5 cycles/h: 0.1; NU 27
    {"CRelay",
     "RELAY_TYPE=9; RELAY_CONSTR=2; RELAY_CONTACT=4; RELAY_RATING=2; RELAY_QU=6; RELAY_LOAD=1; "
     "RELAY_STRESSMODE=2; RELAY_ISTRESS=80; RELAY_RATE=0.5; ENV=5",
     "PIC=2 PICYC=0.1 PIF=5 PIQ=1.5 PIE=27 FR=0.649533"},
    // High voltage, vacuum (ceramic) 5; 4PDT 5.5; X 0.45; 1000 cycles/h: 100; SF 0.5; CF 2: FR = 7.30125
    {"CRelay",
     "RELAY_TYPE=10; RELAY_CONSTR=2; RELAY_CONTACT=8; RELAY_RATING=2; RELAY_QU=3; RELAY_LOAD=1; "
     "RELAY_STRESSMODE=2; RELAY_ISTRESS=0; RELAY_RATE=1000; ENV=11; CF=2",
     "PIC=5.5 PICYC=100 PIF=5 PIQ=0.45 PIE=0.5 FR=7.30125"},
    // Base rate at 100 C: 85 C rating 0.0059 exp(1.487763) = 0.026120, 125 C 0.0059 exp(1.331156) = 0.022334;
    // at -55 C (85 C) exp(-2.715281): 0.00039050; at 150 C (125 C) exp(1.956348): 0.041733
    {"CRelay", "RELAY_RATING=1; RELAY_TRISE=40; TA=60", "LB=0.026120 T=100"},
    {"CRelay", "RELAY_RATING=2; RELAY_TRISE=40; TA=60", "LB=0.022334"},
    {"CRelay", "RELAY_RATING=1; TA=-55", "LB=0.00039050"},
    {"CRelay", "RELAY_RATING=2; RELAY_TRISE=125; TA=25", "LB=0.041733"},
    // Load at 40 %: lamp exp(4) = 54.59815; at full stress exp(25) = 7.200490e10
    {"CRelay", "RELAY_LOAD=3; RELAY_STRESSMODE=2; RELAY_ISTRESS=40", "PIL=54.59815"},
    {"CRelay", "RELAY_LOAD=3; RELAY_STRESSMODE=2; RELAY_ISTRESS=100", "PIL=7.200490e10"},
    // Cycling at the branch bounds; 1001^2 / 10000 = 100.2001; a hybrid cycles by the commercial rule
    // whatever its stored quality
    {"CRelay", "RELAY_QU=1; RELAY_RATE=0.99", "PICYC=0.1"},
    {"CRelay", "RELAY_QU=5; RELAY_RATE=1.5", "PICYC=0.15"},
    {"CRelay", "RELAY_QU=8; RELAY_RATE=9.5", "PICYC=1"},
    {"CRelay", "RELAY_QU=8; RELAY_RATE=1001", "PICYC=100.2001"},
    {"CRelay", "HYB=1; RELAY_QU=1; RELAY_RATE=2000", "PICYC=400"},
    // Solid state 0.40 and solid-state time delay 0.50, times pi_Q and pi_E, at the ambient and with no
    // stress; CL is a valid environment for them
    {"CRelay", "RELAY_TYPE=13; RELAY_QU=1; TA=40",
     "LB=0.4 PIQ=1 PIE=1 PIL=1 PIC=1 PICYC=1 PIF=1 FR=0.4 T=40 S=-1"},
    {"CRelay", "RELAY_TYPE=13; RELAY_QU=2; ENV=3", "PIQ=1.9 PIE=12 FR=9.12"},
    {"CRelay", "RELAY_TYPE=14; RELAY_QU=2; ENV=14", "LB=0.5 PIE=590 FR=560.5 OVER=0"},
    {"CRelay", "RELAY_TYPE=14; RELAY_QU=1; ENV=9; CF=0.5", "PIE=32 FR=8"},
    // A mechanical relay at CL has no rate and flags the environment; in a hybrid (pi_Q = pi_E = 1,
    // commercial cycling 1.0) it is flagged but rated: 0.0059 x 1.477904 x 3 = 0.026159
    {"CRelay", "ENV=14", "PIE=0 FR=0 OVER=4"},
    {"CRelay", "HYB=1; ENV=14", "FR=0.026159 OVER=4"},
    {"CRelay", "HYB=1; RELAY_QU=1; ENV=7", "PIQ=1 PIE=1 PICYC=1 FR=0.026159"},
    {"CRelay", "HYB=1; RELAY_TYPE=14; RELAY_QU=2; ENV=14", "FR=0.5 OVER=0"},
    {"CRelay", "ENV=99", "FR=0 OVER=12"},  // past the list: CL, flagged twice
    // Limits strictly above; a solid-state relay has neither rise nor stress
    {"CRelay", "RELAY_QU=1; RELAY_STRESSMODE=2; RELAY_ISTRESS=50; RELAY_TRISE=60; TEMPLIMIT=85", "OVER=0"},
    {"CRelay", "RELAY_QU=1; RELAY_STRESSMODE=2; RELAY_ISTRESS=50; RELAY_TRISE=60.25; TEMPLIMIT=85", "OVER=2"},
    {"CRelay", "RELAY_QU=1; RELAY_STRESSMODE=2; RELAY_ISTRESS=60; STRESSLIMIT=60", "OVER=0"},
    {"CRelay", "RELAY_QU=1; RELAY_STRESSMODE=2; RELAY_ISTRESS=60.25; STRESSLIMIT=60", "OVER=1"},
    {"CRelay", "RELAY_TYPE=13; RELAY_QU=1; TEMPLIMIT=24.75", "OVER=2"},
    // The default surface-mount rise is the relay's own rise; a solid-state relay's is 0
    {"CRelay", "RELAY_TRISE=20; IS_SMT=1; HASSMT=1", "SMT=1 SMTRISE=20"},
    {"CRelay", "RELAY_TYPE=13; IS_SMT=1; HASSMT=1", "SMT=1 SMTRISE=0"},
};

TEST(RelayRates, HandWorkedValues) {
  test::checkRows(kRelayRates);
}

// Switches: pi_C = n^0.33 for pushbutton and toggle switches (2^0.33 = 1.257013, 4^0.33 = 1.580083,
// 12^0.33 = 2.270543, 99^0.33 = 4.555747); breakers 0.34 x pi_C x pi_U x pi_Q x pi_E.
constexpr Row kSwitchRates[] = {
    // Pushbutton 0.1, SPDT, MIL, resistive 10 %: exp(0.015625) = 1.015748; FR = 0.127681 at the ambient
    {"CSwitch", "SW_TYPE=7; SW_CONTACT=3; SW_QU=1; SW_LOAD=1; SW_STRESSMODE=2; SW_ISTRESS=10; TA=35",
     "LB=0.1 PIL=1.015748 PIC=1.257013 PIQ=1 PIE=1 FR=0.127681 T=35 S=10 OVER=0"},
    // Toggle DPDT, lower 2, inductive 30 %: 1.755055; NU 29; FR = 16.08416
    {"CSwitch", "SW_TYPE=14; SW_CONTACT=6; SW_QU=2; SW_LOAD=2; SW_STRESSMODE=2; SW_ISTRESS=30; ENV=5",
     "PIL=1.755055 PIC=1.580083 PIQ=2 PIE=29 FR=16.08416"},
    // Toggle "Other" with 12 contacts, lamp 20 %: e; AUF 22; FR = 13.57835
    {"CSwitch",
     "SW_TYPE=14; SW_CONTACT=10; SW_CONTACTS=12; SW_QU=1; SW_LOAD=3; SW_STRESSMODE=2; SW_ISTRESS=20; ENV=9",
     "PIL=2.718282 PIC=2.270543 PIE=22 FR=13.57835"},
    // Centrifugal 3.4 has no contact factor; lamp 10 %: exp(0.25); lower 2; GF 3; FR = 26.19412
    {"CSwitch", "SW_TYPE=1; SW_CONTACT=6; SW_QU=2; SW_LOAD=3; SW_STRESSMODE=2; SW_ISTRESS=10; ENV=2",
     "LB=3.4 PIL=1.284025 PIC=1 PIQ=2 PIE=3 FR=26.19412"},
    // DIP 0.00012, resistive 50 %; CL 1200; CF 3: FR = 0.638455
    {"CSwitch", "SW_TYPE=2; SW_QU=1; SW_LOAD=1; SW_STRESSMODE=2; SW_ISTRESS=50; ENV=14; CF=3",
     "LB=0.00012 PIL=1.477904 PIE=1200 FR=0.638455"},
    {"CSwitch", "SW_TYPE=8; SW_QU=1; SW_STRESSMODE=2; SW_ISTRESS=0; ENV=6", "LB=0.001 PIL=1 PIE=10 FR=0.01"},
    {"CSwitch", "SW_TYPE=13; SW_QU=2; SW_STRESSMODE=2; SW_ISTRESS=0; ENV=13",
     "LB=0.18 PIQ=2 PIE=67 FR=24.12"},
    {"CSwitch", "SW_TYPE=14; SW_CONTACT=10; SW_CONTACTS=99", "PIC=4.555747"},
    {"CSwitch", "SW_TYPE=10; SW_CONTACT=9", "PIC=1"},  // a rotary switch has no contact factor
    {"CSwitch", "SW_LOAD=3; SW_STRESSMODE=2; SW_ISTRESS=80", "PIL=8886111"},
    // Breakers: a power switch pi_U 10, lower 8.4: 0.34 x 3 x 10 x 8.4 = 85.68
    {"CSwitch", "SW_TYPE=15; SW_POWER=1; SW_CONTACT=3; SW_QU=2",
     "LB=0.34 PIC=3 PIU=10 PIQ=8.4 PIE=1 FR=85.68 S=-1"},
    {"CSwitch", "SW_TYPE=15; SW_POWER=2; SW_CONTACT=1; SW_QU=1; ENV=9", "PIC=1 PIU=1 PIQ=1 PIE=12 FR=4.08"},
    {"CSwitch", "SW_TYPE=15; SW_POWER=1; SW_CONTACT=4; SW_QU=1; ENV=4; CF=0.5", "PIC=4 PIU=10 PIE=8 FR=54.4"},
    {"CSwitch", "SW_TYPE=15; SW_POWER=2; SW_CONTACT=2; SW_QU=2; ENV=13", "PIQ=8.4 PIE=66 FR=376.992"},
    // Only breakers flag CL; a hybrid breaker too, rated with pi_Q = pi_E = 1: 0.34 x 3 x 10 = 10.2
    {"CSwitch", "SW_TYPE=15; ENV=14", "FR=0 OVER=4"},
    {"CSwitch", "HYB=1; SW_TYPE=15; SW_POWER=1; SW_CONTACT=3; ENV=14", "FR=10.2 OVER=4"},
    {"CSwitch", "SW_TYPE=7; SW_CONTACT=3; SW_QU=1; SW_STRESSMODE=2; SW_ISTRESS=10; ENV=14",
     "FR=153.2170 OVER=0"},
    {"CSwitch", "HYB=1; SW_TYPE=7; SW_CONTACT=3; SW_QU=2; SW_STRESSMODE=2; SW_ISTRESS=10; ENV=13",
     "PIQ=1 PIE=1 FR=0.127681"},
    // Limits strictly above; a breaker has no stress; the default surface-mount rise is 0
    {"CSwitch", "SW_TYPE=7; TA=70; TEMPLIMIT=70", "OVER=0"},
    {"CSwitch", "SW_TYPE=7; TA=70.25; TEMPLIMIT=70", "OVER=2"},
    {"CSwitch", "SW_TYPE=14; SW_STRESSMODE=2; SW_ISTRESS=40.25; STRESSLIMIT=40", "OVER=1"},
    {"CSwitch", "SW_TYPE=15; SW_STRESSMODE=2; SW_ISTRESS=90; STRESSLIMIT=10", "OVER=0"},
    {"CSwitch", "SW_TYPE=15; IS_SMT=1; HASSMT=1; SMT_TEMPRISE=3", "SMT=1 SMTRISE=0"},
};

TEST(SwitchRates, HandWorkedValues) {
  test::checkRows(kSwitchRates);
}

// Connectors: pi_T = exp(1624.695 (1/298 - 1/(To + 273))), To = Ta + rise + insert rise; every
// connector carries half the mated pair's rate. Sockets: pi_P = exp(((N - 1) / 10)^0.39), no half.
constexpr Row kConnectorRates[] = {
    // Circular, 20 GA at 1 A: dT 0.64, pi_T = exp(0.0116839); >0.5-5 cycles 2.0; FR = 0.00101175
    {"CConnector", "CONN_FAMILY=1; CONN_TYPE=1; CONN_GAUGE=6; CONN_AMPS=1; CONN_CYCLE=3; CONN_QU=1",
     "LB=0.001 T=25.64 PIT=1.011752 PIK=2 PIQ=1 PIE=1 FR=0.00101175 OVER=0"},
    // Rectangular, 22 GA at 5 A: dT = 0.989 x 5^1.85 = 19.42186, To = 69.42186, pi_T = 2.028465; >50
    // cycles 4.0; lower 2; AIF 5; FR = 1.866188
    {"CConnector",
     "CONN_FAMILY=3; CONN_TYPE=1; CONN_GAUGE=5; CONN_AMPS=5; CONN_CYCLE=5; CONN_QU=2; CONN_TRISE=10; "
     "TA=40; ENV=7",
     "LB=0.046 T=69.42186 PIT=2.028465 PIK=4 PIQ=2 PIE=5 FR=1.866188"},
    // High-power coaxial adds 50: To = 80, pi_T = 2.338387; CL 490; FR = 0.234891
    {"CConnector",
     "CONN_FAMILY=8; CONN_TYPE=2; CONN_GAUGE=6; CONN_AMPS=0.1; CONN_CYCLE=1; CONN_QU=1; "
     "CONN_TRISE=5; ENV=14",
     "LB=0.00041 T=80 PIT=2.338387 PIK=1 PIE=490 FR=0.234891"},
    // Low-power triaxial adds 5: pi_T = 1.094138; 1.5; lower 2; NU 13; CF 2: FR = 0.153617
    {"CConnector",
     "CONN_FAMILY=9; CONN_TYPE=1; CONN_GAUGE=6; CONN_AMPS=0.1; CONN_CYCLE=2; CONN_QU=2; ENV=5; CF=2",
     "LB=0.0036 T=30 PIT=1.094138 PIK=1.5 PIQ=2 PIE=13 FR=0.153617"},
    // Hexagonal, 12 GA at 40 A: dT = 0.1 x 40^1.85 = 92.00491, pi_T = 3.618880; 3.0; ARW 19: FR = 15.47071
    {"CConnector", "CONN_FAMILY=2; CONN_TYPE=1; CONN_GAUGE=9; CONN_AMPS=40; CONN_CYCLE=4; CONN_QU=1; ENV=10",
     "LB=0.15 T=117.00491 PIT=3.618880 PIK=3 PIE=19 FR=15.47071"},
    // Card edge at 0.1 A: dT 0.0090402, pi_T 1.000165; SF 0.5; FR = 0.0200033
    {"CConnector", "CONN_FAMILY=5; CONN_GAUGE=6; CONN_AMPS=0.1; CONN_CYCLE=3; CONN_QU=1; ENV=11",
     "LB=0.04 T=25.0090402 PIT=1.000165 FR=0.0200033"},
    {"CConnector", "CONN_FAMILY=6; CONN_GAUGE=1; CONN_AMPS=0; CONN_CYCLE=3; CONN_QU=1; ENV=3",
     "LB=0.007 T=25 PIT=1 PIE=8 FR=0.056"},
    // Sockets: DIP with 11 pins e; MIL 0.3: 0.00052191 at the ambient
    {"CConnector", "CONN_FAMILY=10; CONN_TYPE=1; CONN_PINS=11; CONN_QU=1; TA=45",
     "LB=0.00064 PIP=2.718282 PIQ=0.3 PIE=1 FR=0.00052191 T=45"},
    {"CConnector", "CONN_FAMILY=10; CONN_TYPE=4; CONN_PINS=1; CONN_QU=2; ENV=7",
     "PIP=1 PIQ=1 PIE=12 FR=0.00768"},
    // relay socket, 21 pins: exp(2^0.39) = 3.707632; GM 14: 1.920553
    {"CConnector", "CONN_FAMILY=10; CONN_TYPE=5; CONN_PINS=21; CONN_QU=2; ENV=3",
     "LB=0.037 PIP=3.707632 PIE=14 FR=1.920553"},
    // tube socket, 37 pins: exp(3.6^0.39) = 5.196591; CL 650, CF 0.5: 5.573344
    {"CConnector", "CONN_FAMILY=10; CONN_TYPE=7; CONN_PINS=37; CONN_QU=1; ENV=14; CF=0.5",
     "LB=0.011 PIP=5.196591 PIQ=0.3 PIE=650 FR=5.573344"},
    // transistor socket, 3 pins: exp(0.2^0.39) = 1.705449; NS 6: 0.0156560
    {"CConnector", "CONN_FAMILY=10; CONN_TYPE=6; CONN_PINS=3; CONN_QU=1; ENV=4",
     "LB=0.0051 PIP=1.705449 FR=0.0156560"},
    {"CConnector", "CONN_FAMILY=10; CONN_PINS=9999", "PIP=2649629"},  // exp(999.8^0.39) = exp(14.789930)
    // Limits strictly above the contact temperature 25 + 20 + 5; sockets run at the ambient
    {"CConnector", "CONN_FAMILY=8; CONN_TYPE=1; CONN_TRISE=20; TEMPLIMIT=50", "T=50 OVER=0"},
    {"CConnector", "CONN_FAMILY=8; CONN_TYPE=1; CONN_TRISE=20.25; TEMPLIMIT=50", "OVER=2"},
    {"CConnector", "CONN_FAMILY=10; TEMPLIMIT=24.75", "OVER=2"},
    // A hybrid's factors are 1: 0.001 x 2 x 0.5; a socket 0.00064
    {"CConnector", "HYB=1; CONN_QU=2; CONN_AMPS=0; ENV=14", "PIQ=1 PIE=1 FR=0.001"},
    {"CConnector", "HYB=1; CONN_FAMILY=10; CONN_PINS=1; CONN_QU=2; ENV=14", "PIQ=1 PIE=1 FR=0.00064"},
    // The default surface-mount rise is the insert rise (not the entered rise), 50 for high power, 0 for
    // sockets
    {"CConnector", "CONN_TYPE=2; CONN_AMPS=1; CONN_TRISE=10; IS_SMT=1; HASSMT=1", "SMT=1 SMTRISE=0.64"},
    {"CConnector", "CONN_FAMILY=8; CONN_TYPE=2; CONN_AMPS=1; IS_SMT=1; HASSMT=1", "SMT=1 SMTRISE=50"},
    {"CConnector", "CONN_FAMILY=10; IS_SMT=1; HASSMT=1; SMT_TEMPRISE=3", "SMT=1 SMTRISE=0"},
};

TEST(ConnectorRates, HandWorkedValues) {
  test::checkRows(kConnectorRates);
}

// Connections lambda_b x pi_E x N; boards lambda_b (N1 pi_C + N2 (pi_C + 13)) pi_Q pi_E with
// pi_C = 0.65 P^0.63 above two layers.
constexpr Row kInterconnectRates[] = {
    {"CConnections", "CX_TYPE=1; CX_QTY=0; ENV=14", "LB=0.0013 PIE=420 FR=0"},
    {"CConnections", "CX_TYPE=1; CX_QTY=100; TA=55", "FR=0.13 T=55"},
    {"CConnections", "CX_TYPE=3; CX_QTY=250; ENV=9", "LB=0.00026 PIE=8 FR=0.52"},
    {"CConnections", "CX_TYPE=9; CX_QTY=3; ENV=14; CF=0.5", "LB=0.062 FR=39.06"},
    {"CConnections", "CX_TYPE=8; CX_QTY=10; ENV=5", "LB=0.17 PIE=11 FR=18.7"},
    {"CConnections", "CX_TYPE=4; CX_QTY=1000; ENV=13", "LB=0.000015 PIE=24 FR=0.36"},
    {"CConnections", "CX_TYPE=5; CX_QTY=999999; ENV=11", "LB=0.0000068 PIE=0.5 FR=3.3999966"},
    {"CConnections", "TA=70; TEMPLIMIT=70", "OVER=0"},
    {"CConnections", "TA=70.25; TEMPLIMIT=70", "OVER=2"},
    // 2 layers: pi_C = 1.0 (not 0.65 x 2^0.63)
    {"CCircuitBoard", "BD_TYPE=1; BD_LAYERS=2; BD_AUTOHOLES=500; BD_HANDHOLES=0; BD_QU=1",
     "LB=0.000017 PIC=1 FR=0.0085"},
    {"CCircuitBoard", "BD_TYPE=1; BD_LAYERS=1; BD_AUTOHOLES=500; BD_HANDHOLES=0", "PIC=1 FR=0.0085"},
    {"CCircuitBoard", "BD_TYPE=1; BD_LAYERS=3; BD_AUTOHOLES=1000; BD_HANDHOLES=0",
     "PIC=1.298673 FR=0.0220774"},
    // 8 layers: pi_C 2.409129; 0.000017 x (1000 x 2.409129 + 20 x 15.409129) x lower 2 x AUF 28 = 2.586881
    {"CCircuitBoard", "BD_TYPE=1; BD_LAYERS=8; BD_AUTOHOLES=1000; BD_HANDHOLES=20; BD_QU=2; ENV=9",
     "PIC=2.409129 PIQ=2 PIE=28 FR=2.586881"},
    // 18 layers, the model's last: pi_C 4.015458, GM 7, CF 2; 19 layers computed and flagged
    {"CCircuitBoard", "BD_TYPE=1; BD_LAYERS=18; BD_AUTOHOLES=100; BD_HANDHOLES=0; ENV=3; CF=2",
     "PIC=4.015458 PIE=7 FR=0.0955679 OVER=0"},
    {"CCircuitBoard", "BD_TYPE=1; BD_LAYERS=19; BD_AUTOHOLES=100; BD_HANDHOLES=0",
     "PIC=4.154590 FR=0.0070628 OVER=8"},
    // discrete wiring: 0.00011 x (100 + 10 x 14) x NS 5; three layers flagged, pi_C stays 1
    {"CCircuitBoard", "BD_TYPE=2; BD_LAYERS=2; BD_AUTOHOLES=100; BD_HANDHOLES=10; ENV=4",
     "LB=0.00011 FR=0.132"},
    {"CCircuitBoard", "BD_TYPE=2; BD_LAYERS=3; BD_AUTOHOLES=100; BD_HANDHOLES=0; ENV=14",
     "PIC=1 PIE=500 FR=5.5 OVER=8"},
    {"CCircuitBoard", "BD_TYPE=1; BD_LAYERS=4; BD_AUTOHOLES=0; BD_HANDHOLES=0", "PIC=1.556722 FR=0"},
    // a hand-soldered hole counts as fourteen automated ones
    {"CCircuitBoard", "BD_TYPE=1; BD_LAYERS=2; BD_AUTOHOLES=14; BD_HANDHOLES=0", "FR=0.000238"},
    {"CCircuitBoard", "BD_TYPE=1; BD_LAYERS=2; BD_AUTOHOLES=0; BD_HANDHOLES=1", "FR=0.000238"},
};

TEST(InterconnectRates, HandWorkedValues) {
  test::checkRows(kInterconnectRates);
}

// Motors: bearing and winding from characteristic lives (alpha_B 59614.89 h and alpha_W 1200593.5 h at
// 25 C; 13890.44 and 70315.95 at 80 C); synchros lambda_b = 0.00535 exp((T + 273)/334)^8.5); meters
// lambda_b x pi_T x pi_E.
constexpr Row kRotatingRates[] = {
    // LC 43800: r_B 0.7347 -> 0.68, r_W 0.0365 -> 0.13; 0.68 / (1.9 x 59614.89) x 1e6, 0.13 / (1.1 x
    // 1200593.5) x 1e6
    {"CRotate", "ROTATE_FAMILY=1; ROTATE_TYPE=1; ROTATE_OPTIME=43800; ENV=14",
     "BEARING_FACTOR=6.003445 WINDING_FACTOR=0.098436"},
    // servo at 80 C, LC 10000: r_B 0.7199 -> 0.68, r_W 0.1422 -> 0.15
    {"CRotate", "ROTATE_FAMILY=1; ROTATE_TYPE=3; ROTATE_OPTIME=10000; ROTATE_TRISE=20; TA=60; CF=2",
     "BEARING_FACTOR=20.39772 WINDING_FACTOR=1.254840"},
    // r_B just below 0.1 -> 0.13, just above -> 0.15
    {"CRotate", "ROTATE_FAMILY=1; ROTATE_TYPE=1; ROTATE_OPTIME=5961", "BEARING_FACTOR=1.147717"},
    {"CRotate", "ROTATE_FAMILY=1; ROTATE_TYPE=1; ROTATE_OPTIME=5963", "BEARING_FACTOR=1.324289"},
    // sensor A 0.48, B 0.29; stepper A 11, B 5.4
    {"CRotate", "ROTATE_FAMILY=1; ROTATE_TYPE=2; ROTATE_OPTIME=43800",
     "BEARING_FACTOR=23.76363 WINDING_FACTOR=0.373378"},
    {"CRotate", "ROTATE_FAMILY=1; ROTATE_TYPE=4; ROTATE_OPTIME=43800",
     "BEARING_FACTOR=1.036959 WINDING_FACTOR=0.020052"},
    // synchro size <=8 2.0, 2 brushes 1.4: 0.00781782 x 2.8
    {"CRotate", "ROTATE_FAMILY=2; ROTATE_TYPE=1; ROTATE_SIZE=1; ROTATE_BRUSHES=2",
     "LB=0.00781782 PIS=2 PIN=1.4 PIE=1 FR=0.0218899 OVER=0"},
    // resolver >=18 1.5, 3 brushes 2.5 at 50 C: lambda_b 0.0113517; NU 18
    {"CRotate",
     "ROTATE_FAMILY=2; ROTATE_TYPE=2; ROTATE_SIZE=3; ROTATE_BRUSHES=3; ROTATE_TRISE=10; TA=40; ENV=5",
     "LB=0.0113517 PIS=1.5 PIN=2.5 PIE=18 FR=0.766243"},
    {"CRotate", "ROTATE_FAMILY=2; ROTATE_TYPE=1; ROTATE_SIZE=2; ROTATE_BRUSHES=4; ENV=14",
     "PIS=1.5 PIN=3.2 PIE=680 FR=25.51736"},
    // 285 C follows the curve: 0.00535 exp(78.441470) = 6.238085e31; at 300 C the rate passes the largest
    // float and is held there, flagged
    {"CRotate", "ROTATE_FAMILY=2; ROTATE_TYPE=1; ROTATE_SIZE=3; ROTATE_BRUSHES=1; ROTATE_TRISE=110; TA=175",
     "LB=6.238085e31 FR=8.733319e31 OVER=2"},
    {"CRotate", "ROTATE_FAMILY=2; ROTATE_TYPE=1; ROTATE_SIZE=3; ROTATE_BRUSHES=1; ROTATE_TRISE=125; TA=175",
     "LB=3.4028235e38 FR=3.4028235e38 OVER=10"},
    // meters: AC 20 at stress 50 -> 0.5; 50.5 -> 0.505 (GF 2); commutator DC 80 x 0.8 x AUF 25; inverter
    // 30 x 0.5 x ML 38; at CL no factor, no rate, flagged
    {"CRotate", "ROTATE_FAMILY=3; ROTATE_TYPE=1; ROTATE_TSTRESS=50", "LB=20 PIT=0.5 PIE=1 FR=10"},
    {"CRotate", "ROTATE_FAMILY=3; ROTATE_TYPE=1; ROTATE_TSTRESS=50.5; ENV=2", "PIT=0.505 FR=20.2"},
    {"CRotate", "ROTATE_FAMILY=3; ROTATE_TYPE=3; ROTATE_TSTRESS=80; ENV=9", "LB=80 PIT=0.8 PIE=25 FR=1600"},
    {"CRotate", "ROTATE_FAMILY=3; ROTATE_TYPE=2; ROTATE_TSTRESS=10; ENV=13", "LB=30 PIT=0.5 PIE=38 FR=570"},
    {"CRotate", "ROTATE_FAMILY=3; ROTATE_TYPE=1; ROTATE_TSTRESS=50; ENV=14", "PIE=0 FR=0 OVER=4"},
    // in a hybrid the package supplies the environment; the meter stays invalid at CL
    {"CRotate", "HYB=1; ROTATE_FAMILY=3; ROTATE_TYPE=1; ROTATE_TSTRESS=50; ENV=14", "PIE=1 FR=10 OVER=4"},
    {"CRotate", "HYB=1; ROTATE_FAMILY=2; ROTATE_SIZE=1; ROTATE_BRUSHES=2; ENV=14", "FR=0.0218899"},
    // limits strictly above; a meter runs at the ambient; the default rise by family
    {"CRotate", "ROTATE_TRISE=30; TEMPLIMIT=55", "OVER=0"},
    {"CRotate", "ROTATE_TRISE=30.5; TEMPLIMIT=55", "OVER=2"},
    {"CRotate", "ROTATE_FAMILY=3; TEMPLIMIT=25", "T=25 OVER=0"},
    {"CRotate", "ROTATE_TRISE=12; IS_SMT=1; HASSMT=1", "SMT=1 SMTRISE=12"},
    {"CRotate", "ROTATE_FAMILY=3; ROTATE_TYPE=1; IS_SMT=1; HASSMT=1", "SMT=1 SMTRISE=0"},
};

TEST(RotatingRates, HandWorkedValues) {
  test::checkRows(kRotatingRates);
}

// Tubes: lambda_b x pi_L x pi_E; pi_L 10 Y^-2.1 in the first three years (10 below one year).
constexpr Row kTubeRates[] = {
    {"CTube", "TUBE_FAMILY=1; TUBE_TYPE=1; TUBE_YEARS=3; TA=30", "LB=5 PIL=1 PIE=0.5 FR=2.5 T=30"},
    {"CTube", "TUBE_FAMILY=1; TUBE_TYPE=2; TUBE_YEARS=1; ENV=2", "LB=10 PIL=10 PIE=1 FR=100"},
    {"CTube", "TUBE_FAMILY=2; TUBE_YEARS=2; ENV=4", "LB=9.6 PIL=2.332582 PIE=8 FR=179.1423"},
    {"CTube", "TUBE_FAMILY=3; TUBE_YEARS=0; ENV=6", "LB=50 PIL=10 PIE=5 FR=2500"},
    {"CTube", "TUBE_FAMILY=3; TUBE_YEARS=1.5", "PIL=4.267842"},
    {"CTube", "TUBE_FAMILY=3; TUBE_YEARS=2.99", "PIL=1.002514"},  // still on the curve
    {"CTube", "TUBE_FAMILY=4; TUBE_TYPE=2; TUBE_YEARS=3; ENV=10", "LB=150 PIE=40 FR=6000"},
    {"CTube", "TUBE_FAMILY=5; TUBE_TYPE=2; TUBE_YEARS=5; ENV=5", "LB=390 PIE=24 FR=9360"},
    // transmitting triode 75 within its limits, 250 over them
    {"CTube", "TUBE_FAMILY=6; TUBE_TYPE=1; TUBE_YEARS=3; TUBE_OVERLIMIT=2; ENV=3", "LB=75 FR=1050"},
    {"CTube", "TUBE_FAMILY=6; TUBE_TYPE=1; TUBE_YEARS=3; TUBE_OVERLIMIT=1; ENV=3", "LB=250 FR=3500"},
    {"CTube", "TUBE_FAMILY=7; TUBE_TYPE=2; TUBE_YEARS=3; ENV=11", "LB=48 PIE=0.2 FR=9.6"},
    {"CTube", "TUBE_FAMILY=8; TUBE_TYPE=3; TUBE_YEARS=3; ENV=13", "LB=490 PIE=57 FR=27930"},
    // pulsed klystron 2.94 F P + 16 inside the envelope 490 F^-2.95 MW, outside it flagged
    {"CTube", "TUBE_FAMILY=9; TUBE_POWER=5; TUBE_FREQ=2; TUBE_YEARS=3; ENV=9",
     "LB=45.4 PIE=12 FR=544.8 OVER=0"},
    {"CTube", "TUBE_FAMILY=9; TUBE_POWER=10; TUBE_FREQ=6; TUBE_YEARS=3", "LB=192.4 FR=96.2 OVER=8"},
    // 2.94 x 3 x 25 + 16 = 236.5; the envelope at 3 GHz is 490 x 3^-2.95 = 19.17 MW
    {"CTube", "TUBE_FAMILY=9; TUBE_POWER=25; TUBE_FREQ=3; TUBE_YEARS=3", "LB=236.5 OVER=8"},
    {"CTube", "TUBE_FAMILY=10; TUBE_YEARS=3; ENV=14", "LB=30 PIE=1000 FR=30000"},
    // CW klystron 0.5 P + 0.00046 F + 29 (the handbook's coefficient); envelope 8e6 F^-1.7 kW
    {"CTube", "TUBE_FAMILY=11; TUBE_POWER=10; TUBE_FREQ=1000; TUBE_YEARS=3", "LB=34.46 FR=17.23 OVER=0"},
    {"CTube", "TUBE_FAMILY=11; TUBE_POWER=10; TUBE_FREQ=3000; TUBE_YEARS=3; ENV=2",
     "LB=35.38 FR=35.38 OVER=8"},
    // travelling wave 11 x 1.00001^P x 1.1^F
    {"CTube", "TUBE_FAMILY=12; TUBE_POWER=0.001; TUBE_FREQ=0.1", "LB=11.10534 FR=5.55267"},
    {"CTube", "TUBE_FAMILY=12; TUBE_POWER=40000; TUBE_FREQ=18; ENV=12", "LB=91.23846 PIE=11 FR=1003.623"},
    // magnetrons: utilization 0.44 + 0.56 U; pulsed 19 F^0.73 P^0.2, pi_C 5.4
    {"CTube", "TUBE_FAMILY=13; TUBE_TYPE=1; TUBE_RATIO=100", "LB=18 PIU=1 PIC=1 FR=18"},
    {"CTube", "TUBE_FAMILY=13; TUBE_TYPE=1; TUBE_RATIO=0", "PIU=0.44 FR=7.92"},
    {"CTube", "TUBE_FAMILY=13; TUBE_TYPE=3; TUBE_POWER=1; TUBE_FREQ=10; TUBE_RATIO=50; ENV=8",
     "LB=102.0360 PIU=0.72 PIC=5.4 PIE=12 FR=4760.594"},
    {"CTube", "HYB=1; TUBE_FAMILY=2; TUBE_YEARS=3; ENV=14; IS_SMT=1; HASSMT=1", "PIE=1 FR=9.6 SMT=0"},
    {"CTube", "IS_SMT=1; HASSMT=1; SMT_TEMPRISE=9", "SMT=1 SMTRISE=0"},
    {"CTube", "TA=40; TEMPLIMIT=40", "OVER=0"},
    {"CTube", "TA=40.5; TEMPLIMIT=40", "OVER=2"},
};

TEST(TubeRates, HandWorkedValues) {
  test::checkRows(kTubeRates);
}

// ---- Stored choices past a shorter list after a type or family change ---------------------

// Stored records ("@" sets a field as a file holds it) with choices past a
// list that follows another choice, and numbers outside their ranges: taken
// into the list or range before any table is read, and flagged (OVER 8).
constexpr Row kStoredRecords[] = {
    // a polarized relay (2 constructions) with construction 5: "MeterMovement", pi_F 100;
    // FR = 0.0059 x 1.477904 x 0.1 x 100 x 1.5 = 0.130794
    {"CRelay", "@RELAY_TYPE=4; @RELAY_CONSTR=5", "PIF=100 FR=0.130794 OVER=8"},
    // quality 7 on a solid-state relay: "Commercial", 0.40 x 1.9 = 0.76
    {"CRelay", "@RELAY_TYPE=13", "FR=0.76"},
    // a dry-circuit "Solenoid" (6 of 6) on a general-purpose relay is its last of 3 (pi_F 6);
    // a time-delay relay has no construction list, so its stored choice plays no part
    {"CRelay", "@RELAY_TYPE=2; @RELAY_CONSTR=6", "PIF=6 OVER=8"},
    {"CRelay", "@RELAY_TYPE=7; @RELAY_CONSTR=6", "PIF=10 OVER=0"},
    // a huge cycle rate takes the highest entry: (9999 / 100)^2; the rise is limited to 0..150, the relay
    // temperature to -55..325
    {"CRelay", "RELAY_QU=8; @RELAY_RATE=3e38", "PICYC=9998.0001 OVER=8"},
    {"CRelay", "@RELAY_TRISE=1e30", "T=175 OVER=8"},
    // "Other" (10) stored on a breaker: "4PST", 0.34 x 4 x 10 = 13.6; a toggle's DPDT on a limit switch:
    // no contact form, pi_C 1
    {"CSwitch", "@SW_TYPE=15; @SW_CONTACT=10", "FR=13.6 OVER=8"},
    {"CSwitch", "@SW_TYPE=3; @SW_CONTACT=6", "PIC=1"},
    // contact counts outside 1..99 are limited: 0 and NaN to 1, 150 to 99 (4.555747)
    {"CSwitch", "@SW_TYPE=14; @SW_CONTACT=10; @SW_CONTACTS=0", "PIC=1 OVER=8"},
    {"CSwitch", "@SW_TYPE=14; @SW_CONTACT=10; @SW_CONTACTS=150", "PIC=4.555747 OVER=8"},
    {"CSwitch", "@SW_TYPE=14; @SW_CONTACT=10; @SW_CONTACTS=nan", "PIC=1 OVER=8"},
    // a "Relay" socket (5 of 7) on a coaxial connector: "HighPower", 50 above: To = 75
    {"CConnector", "@CONN_FAMILY=8; @CONN_TYPE=5; @CONN_AMPS=0", "T=75 OVER=8"},
    // socket pins limited to 9999: exp(999.8^0.39) = 2649629; gauge 200 -> 12 GA (0.1): at 1 A, To = 25.1
    {"CConnector", "@CONN_FAMILY=10; @CONN_PINS=20000", "PIP=2649629 OVER=8"},
    {"CConnector", "@CONN_GAUGE=200; @CONN_AMPS=1", "T=25.1 OVER=8"},
    // layers limited to 99: pi_C = 0.65 x 99^0.63 = 11.753400; 0.000017 x 500 x 11.753400
    {"CCircuitBoard", "@BD_LAYERS=3e38; @BD_AUTOHOLES=500", "FR=0.0999039 OVER=8"},
    // travelling-wave power past 40000 W is limited
    {"CTube", "@TUBE_FAMILY=12; @TUBE_POWER=1e30; @TUBE_FREQ=18", "LB=91.23846 OVER=8"},
};

TEST(ElectromechStoredChoices, DependentListsClampedBeforeAnyTableIsRead) {
  test::checkRows(kStoredRecords);
  // a twystron type changed to a magnetron (three types) on the page; its power and frequency follow the
  // magnetron's ranges
  CTube tube;
  tube.FAMILY = 8;
  tube.TYPE = 4;
  tube.FAMILY = 13;
  tube.POWER = 1000.0f;
  tube.FREQ = 0.01f;
  EXPECT_DOUBLE_EQ(test::fieldOf(tube, "TUBE_TYPE"), 3.0);
  EXPECT_FLOAT_EQ(tube.POWER, 5.0f);
  EXPECT_FLOAT_EQ(tube.FREQ, 0.1f);
}

// ---- Import ----------------------------------------------------------------------------------

// Fields as the import leaves them (what each record reads at all is the registry walk's).
constexpr test::FieldRow kImportedFields[] = {
    // a construction name is read on the list of the type just read: "MercuryWetted" is entry 3 of the
    // dry-circuit list and 2 of the medium-power one
    {"CRelay", "RELAY_TYPE=DryCircuit/Low-ma; RELAY_CONSTR=MercuryWetted", "RELAY_CONSTR", 3, false},
    {"CRelay", "RELAY_TYPE=MediumPower/5-20A; RELAY_CONSTR=MercuryWetted", "RELAY_CONSTR", 2, false},
    // a name not on the list keeps a valid choice (the first when the stored one is past the list)
    {"CRelay", "RELAY_TYPE=DryCircuit/Low-ma; RELAY_CONSTR=Vacuum(Glass)", "RELAY_CONSTR", 1, true},
    // the operating current is limited to the rated current just read; the computed stress follows
    {"CRelay", "RELAY_IMAX=4; RELAY_IOP=9; RELAY_STRESSMODE=1", "RELAY_IOP", 4, true},
    {"CRelay", "RELAY_IMAX=4; RELAY_IOP=9; RELAY_STRESSMODE=1", "RELAY_ISTRESS", 100, false},
    {"CRelay", "RELAY_IMAX=4; RELAY_IOP=1; RELAY_STRESSMODE=1", "RELAY_ISTRESS", 25, false},
    {"CRelay", "RELAY_TYPE=SolidState(SSR); RELAY_QU=Commercial", "RELAY_QU", 2, false},
    {"CSwitch", "SW_IMAX=2; SW_IOP=5; SW_STRESSMODE=1", "SW_IOP", 2, true},
    {"CConnector", "CONN_FAMILY=10; CONN_PINS=0", "CONN_PINS", 1, true},
    {"CCircuitBoard", "BD_LAYERS=150", "BD_LAYERS", 99, true},
    {"CRotate", "ROTATE_FAMILY=2; ROTATE_BRUSHES=7", "ROTATE_BRUSHES", 4, true},
    {"CTube", "TUBE_FAMILY=ContinuousWaveKlystron; TUBE_POWER=500; TUBE_FREQ=2000", "TUBE_POWER", 100, true},
};

TEST(ElectromechImport, FieldsAsRead) {
  test::checkFieldRows(kImportedFields);
}

// ---- What-If? and update ------------------------------------------------------------------

TEST(ElectromechWhatIf, QualityAndStressRules) {
  struct Case {
    const char* cls;
    const char* settings;
    std::uint8_t qualityMode, stressMode;
    float value;
    const char* expected;
  };
  const Case cases[] = {
      {"CRelay", "RELAY_QU=7", Increase, NoChange, 2, "RELAY_QU=5"},
      {"CRelay", "RELAY_QU=7", Decrease, NoChange, 5, "RELAY_QU=8"},
      {"CRelay", "RELAY_TYPE=13; RELAY_QU=1", SetDirect, NoChange, 5, "RELAY_QU=2"},  // the solid-state list
      // Iop 0.5 A of Imax 1 A: 50 %; set, raise and lower switch to manual and stay within 0..100
      {"CRelay", "RELAY_STRESSMODE=2; RELAY_ISTRESS=75", NoChange, SetToCalcMode, 0,
       "RELAY_STRESSMODE=1 RELAY_ISTRESS=50"},
      {"CRelay", "RELAY_STRESSMODE=1", NoChange, SetDirect, 70, "RELAY_STRESSMODE=2 RELAY_ISTRESS=70"},
      {"CRelay", "RELAY_TYPE=11; RELAY_STRESSMODE=2; RELAY_ISTRESS=50", NoChange, Increase, 60,
       "RELAY_ISTRESS=100"},
      {"CRelay", "RELAY_TYPE=11; RELAY_STRESSMODE=2; RELAY_ISTRESS=50", NoChange, Decrease, 60,
       "RELAY_ISTRESS=0"},
      {"CRelay", "RELAY_TYPE=13; RELAY_STRESSMODE=1", NoChange, SetDirect, 70, "RELAY_STRESSMODE=1"},
      {"CSwitch", "SW_TYPE=7; SW_QU=1", Decrease, NoChange, 5, "SW_QU=2"},
      {"CSwitch", "SW_TYPE=14; SW_STRESSMODE=2; SW_ISTRESS=30", NoChange, SetToCalcMode, 0,
       "SW_STRESSMODE=1 SW_ISTRESS=10"},
      {"CSwitch", "SW_TYPE=3; SW_STRESSMODE=2; SW_ISTRESS=30", NoChange, Increase, 25, "SW_ISTRESS=55"},
      {"CSwitch", "SW_TYPE=15; SW_QU=1", SetDirect, SetDirect, 2,
       "SW_QU=2 SW_STRESSMODE=1 SW_ISTRESS=10"},  // a breaker has no stress of its own
      {"CCircuitBoard", "BD_QU=1", Decrease, NoChange, 4, "BD_QU=2"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.cls) + " " + c.settings);
    test::Worked w = imported(c.cls, c.settings);
    WhatIfSettings s;
    s.qualityMode = c.qualityMode;
    s.qualityLevel = c.value;
    s.stressMode = c.stressMode;
    s.stressValue = c.value;
    w.part->ApplyWhatIf(s);
    test::expectFields(*w.part, c.expected);
  }
}

TEST(ElectromechUpdate, CopiesApplicationParametersOnly) {
  struct Case {
    const char* cls;
    const char* own;
    const char* other;
    const char* expected;
  };
  const Case cases[] = {
      // a current above the own rating takes it: 2 / 2 = 100 %; a computed stress uses the own rating
      // (0.5 / 2 = 25 %, not the other's 7 %), a manual one is taken as it is; type, construction,
      // contacts, rating, quality and rated current stay
      {"CRelay", "RELAY_TYPE=11; RELAY_CONSTR=4; RELAY_CONTACT=6; RELAY_RATING=1; RELAY_QU=2; RELAY_IMAX=2",
       "RELAY_TYPE=3; RELAY_LOAD=2; RELAY_IMAX=50; RELAY_IOP=10; RELAY_STRESSMODE=1; RELAY_RATE=77; "
       "RELAY_TRISE=33",
       "RELAY_LOAD=2 RELAY_RATE=77 RELAY_TRISE=33 RELAY_IOP=2 RELAY_ISTRESS=100 RELAY_TYPE=11 RELAY_CONSTR=4 "
       "RELAY_CONTACT=6 RELAY_RATING=1 RELAY_QU=2 RELAY_IMAX=2"},
      {"CRelay", "RELAY_IMAX=2", "RELAY_IMAX=50; RELAY_IOP=0.5; RELAY_STRESSMODE=1",
       "RELAY_IOP=0.5 RELAY_ISTRESS=25"},
      {"CRelay", "RELAY_IMAX=2", "RELAY_IMAX=50; RELAY_IOP=0.5; RELAY_STRESSMODE=2; RELAY_ISTRESS=66",
       "RELAY_STRESSMODE=2 RELAY_ISTRESS=66"},
      {"CSwitch", "SW_TYPE=14; SW_CONTACT=6; SW_QU=2; SW_IMAX=2",
       "SW_TYPE=7; SW_LOAD=3; SW_IMAX=10; SW_IOP=5; SW_STRESSMODE=1",
       "SW_LOAD=3 SW_IOP=2 SW_ISTRESS=100 SW_TYPE=14 SW_CONTACT=6 SW_QU=2 SW_IMAX=2"},
      {"CConnector", "CONN_FAMILY=3", "CONN_FAMILY=1; CONN_AMPS=3; CONN_CYCLE=4; CONN_TRISE=6",
       "CONN_FAMILY=3 CONN_AMPS=3 CONN_CYCLE=4 CONN_TRISE=6"},
      {"CRotate", "ROTATE_FAMILY=2; ROTATE_SIZE=1", "ROTATE_FAMILY=1; ROTATE_OPTIME=1000; ROTATE_TRISE=9",
       "ROTATE_FAMILY=2 ROTATE_SIZE=1 ROTATE_OPTIME=1000 ROTATE_TRISE=9"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.cls) + " " + c.other);
    test::Worked own = imported(c.cls, c.own);
    test::Worked other = imported(c.cls, c.other);
    own.part->UpdateAppParams(*other.part);
    test::expectFields(*own.part, c.expected);
  }
  // a rated current of 0 gives no division: 100 %, flagged; a record of another class changes nothing
  CRelay own;
  own.IMAX = 0.0f;
  own.UpdateAppParams(CRelay{});
  EXPECT_FLOAT_EQ(own.ISTRESS, 100.0f);
  EXPECT_NE(own.OverFlags & EntryOverRange, 0u);
  CRelay kept;
  CMisc misc;
  misc.TRISE = 50.0f;
  kept.UpdateAppParams(misc);
  EXPECT_FLOAT_EQ(kept.TRISE, 0.0f);
}

// ---- Text lines ------------------------------------------------------------------------------

// Report lines of typical records: field widths, and decimals capped by size.
TEST(ElectromechTextLines, DetailAndFactorLines) {
  const test::Record records[] = {
      {"CRelay", ""},
      {"CSwitch", ""},
      {"CSwitch", "SW_TYPE=15; SW_CONTACT=3; SW_QU=2"},
      {"CConnector", "CONN_AMPS=0"},
      {"CRotate", ""},
      {"CRotate", "ROTATE_FAMILY=3; ROTATE_TYPE=1; ROTATE_TSTRESS=75"},
      {"CTube", "TUBE_FAMILY=6; TUBE_OVERLIMIT=1; ENV=2"},
  };
  EXPECT_GOLDEN("electromech_lines.txt", test::textLines(records));
}

}  // namespace
}  // namespace kestrel
