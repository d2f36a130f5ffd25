-- count_loop: 1,000,000 iterations of a counting while loop
local i = 0
while i < 1000000 do
  i = i + 1
end
print(i)
